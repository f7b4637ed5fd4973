#include "win/shell_paths.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "win/unique_any.h"

namespace win {

std::wstring SpecialFolderPath(int csidl) {
  UniquePidl pidl;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, pidl.put())) || !pidl) return {};
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListW(pidl.get(), path)) return {};
  return path;
}

std::wstring FileSystemPath(PCIDLIST_ABSOLUTE item) {
  UniqueCoTaskMem<wchar_t> name;
  if (!item || FAILED(::SHGetNameFromIDList(item, SIGDN_FILESYSPATH, name.put())) || !name)
    return {};
  return name.get();
}

std::wstring CombinePath(const std::wstring& directory, const std::wstring& file) {
  wchar_t combined[MAX_PATH] = {};
  if (!::PathCombineW(combined, directory.empty() ? nullptr : directory.c_str(), file.c_str()))
    return {};
  return combined;
}

std::wstring ParentFolder(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool CreateFolderTree(const std::wstring& folder) {
  if (folder.empty()) return false;
  DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  std::wstring parent = ParentFolder(folder);
  // Stop at a drive root ("C:") or a share, which cannot be created.
  if (!parent.empty() && parent.back() != L':' && parent != folder) CreateFolderTree(parent);
  return ::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring ModuleFilePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace win
