#pragma once
// Special folders and path joining as the shell does them (MAX_PATH buffers).
#include <windows.h>
#include <shtypes.h>

#include <string>

namespace win {

// The path of a CSIDL special folder through SHGetSpecialFolderLocation and
// SHGetPathFromIDListW; empty when either fails.
std::wstring SpecialFolderPath(int csidl);

// PathCombineW into a MAX_PATH buffer; empty when the result does not fit.
std::wstring CombinePath(const std::wstring& directory, const std::wstring& file);

// The folder part of a path (everything before the last backslash or slash), or empty.
std::wstring ParentFolder(const std::wstring& path);

// Creates the folder and every missing folder above it. True when it exists afterwards.
bool CreateFolderTree(const std::wstring& folder);

// The file-system path an item list names, of any length; empty for items outside the file
// system (Control Panel, a library).
std::wstring FileSystemPath(PCIDLIST_ABSOLUTE item);

// Full path of a module's file (of this process's program when `module` is null).
std::wstring ModuleFilePath(HMODULE module = nullptr);

}  // namespace win
