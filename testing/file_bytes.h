#pragma once
// Whole-file reads and writes for tests that check bytes on disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/utf8.h"
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

// Whether `text` has an exact form in `codePage`; that form in `out`.
inline bool EncodesExactly(std::wstring_view text, UINT codePage, std::string& out) {
  out.assign(text.size() * 4, '\0');
  BOOL defaulted = FALSE;
  const int length = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(),
                                           static_cast<int>(text.size()), out.data(),
                                           static_cast<int>(out.size()), nullptr, &defaulted);
  out.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return !defaulted && (length > 0 || text.empty());
}

// The favourites file for `records` as the program writes it whole, worked out apart from the
// store: each record and CR LF in the system's ANSI code page when every one fits it, else in
// UTF-8 behind its mark.
inline std::string FavoritesFileFor(const std::vector<std::wstring>& records) {
  std::string ansi, utf8(stashly::kUtf8Bom), encoded;
  bool fits = true;
  for (const std::wstring& record : records) {
    fits = EncodesExactly(record, ::GetACP(), encoded) && fits;
    ansi += encoded + "\r\n";
    utf8 += stashly::ToUtf8(record) + "\r\n";
  }
  return fits ? ansi : utf8;
}

}  // namespace win::testing
