#pragma once
// Whole-file reads and writes for tests that check bytes on disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "win/shell_paths.h"
#include "win/unique_any.h"

namespace win::testing {

// The file's bytes, or "<missing>" when it cannot be opened.
inline std::string FileBytes(const std::wstring& path) {
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  std::string bytes(::GetFileSize(file.get(), nullptr), '\0');
  DWORD read = 0;
  ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

// Creates the folder when needed and writes `bytes` as the whole file; a failure fails the test.
inline void WriteFileBytes(const std::wstring& path, std::string_view bytes) {
  CreateFolderTree(ParentFolder(path));
  UniqueFile file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (!file ||
      !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size())
    ADD_FAILURE() << "could not write the test file";
}

}  // namespace win::testing
