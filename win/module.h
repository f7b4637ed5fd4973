#pragma once
// Libraries bound at run time: files beside the program, exports looked up by name.
#include <windows.h>

#include <string>

#include "win/shell_paths.h"

namespace win {

// The folder of this process's program file.
inline std::wstring ProgramFolder() {
  return ParentFolder(ModuleFilePath());
}

// `fileName` (or a relative path) in the program's folder; empty when the result would not fit
// MAX_PATH.
inline std::wstring FileBesideProgram(const std::wstring& fileName) {
  return CombinePath(ProgramFolder(), fileName);
}

// The export `name` of `module` as a function of type `Function`, or null.
template <typename Function>
Function GetExport(HMODULE module, const char* name) {
  // Through the generic function pointer type, which converts to any other without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace win
