#include "store/favorites_file.h"

#include <shlobj.h>

#include <climits>

#include "core/utf8.h"
#include "store/favorites_format.h"
#include "win/shell_paths.h"
#include "win/text.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

constexpr wchar_t kRelativePath[] = L"Norvane\\Stashly\\favorite.qvd";
// A hung main window must not hang Explorer with it.
constexpr UINT kNotifyTimeoutMs = 10000;

bool ReadAll(HANDLE file, std::string& bytes) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size) || size.QuadPart > INT_MAX) return false;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!::ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read,
                    nullptr))
      return false;
    if (read == 0) break;  // the file shrank meanwhile
    done += read;
  }
  bytes.resize(done);
  return true;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// A file that could not be opened for writing in place (read-only, or held open by a program
// that shares it with nobody) is not replaced behind that program's back either.
bool CanOverwrite(const std::wstring& path) {
  // Checked by itself too: where the process may write anything (an administrator account on
  // some systems), the open below would not refuse a read-only file.
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Writes `bytes` to a new temporary file in the target's folder and moves it over the target.
bool ReplaceFileContent(const std::wstring& path, std::string_view bytes) {
  std::wstring folder = win::ParentFolder(path);
  if (folder.empty()) folder = L".";
  wchar_t temp[MAX_PATH] = {};
  if (!::GetTempFileNameW(folder.c_str(), L"fav", 0, temp)) return false;
  bool ok = false;
  {
    win::UniqueFile file(::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = file && WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
  }
  ok = ok && CanOverwrite(path) &&
       ::MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) ::DeleteFileW(temp);
  return ok;
}

}  // namespace

std::wstring FavoritesFilePath() {
  return win::CombinePath(win::SpecialFolderPath(CSIDL_APPDATA), kRelativePath);
}

ReadResult ReadFavoritesFile(const std::wstring& path, RecordList& records) {
  records = RecordList();
  if (path.empty()) return ReadResult::kMissing;
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::kMissing
                                                                          : ReadResult::kUnreadable;
  }
  std::string bytes;
  if (!ReadAll(file.get(), bytes)) return ReadResult::kUnreadable;
  records = ParseFavorites(bytes, win::CodePageCodec(CP_ACP)).records;
  return ReadResult::kRead;
}

namespace {

template <typename Records>
bool WriteRecords(const std::wstring& path, const Records& records) {
  if (path.empty()) return false;
  win::CreateFolderTree(win::ParentFolder(path));
  return ReplaceFileContent(path, SerializeFavorites(records, win::CodePageCodec(CP_THREAD_ACP)));
}

}  // namespace

bool WriteFavoritesFile(const std::wstring& path, const RecordList& records) {
  return WriteRecords(path, records);
}

bool WriteFavoritesFile(const std::wstring& path, const std::vector<std::wstring>& records) {
  return WriteRecords(path, records);
}

bool AppendFavorite(const std::wstring& path, const std::wstring& record) {
  if (path.empty() || record.empty()) return false;
  win::CreateFolderTree(win::ParentFolder(path));
  const win::CodePageCodec ansi(CP_ACP);
  std::string existing;
  {
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // Only the first three bytes (the mark) and the last one (an unended line) matter here.
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return false;
    char head[3] = {};
    DWORD headLength = 0;
    if (!::ReadFile(file.get(), head, sizeof head, &headLength, nullptr)) return false;
    char last = '\n';
    if (size.QuadPart > 0) {
      LARGE_INTEGER offset{};
      offset.QuadPart = size.QuadPart - 1;
      DWORD read = 0;
      if (!::SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN) ||
          !::ReadFile(file.get(), &last, 1, &read, nullptr) || read != 1)
        return false;
    }
    const FavoritesEncoding encoding = StartsWithUtf8Bom(std::string_view(head, headLength))
                                           ? FavoritesEncoding::kUtf8
                                           : FavoritesEncoding::kAnsi;
    const bool unterminated = size.QuadPart > 0 && last != '\n' &&
                              !(encoding == FavoritesEncoding::kUtf8 && size.QuadPart == 3);
    auto bytes = EncodeAppendedRecord(record, encoding, unterminated, ansi);
    // The first bytes of a file decide its encoding: ANSI text that starts like the UTF-8 mark
    // goes through the rewrite, which writes such a file as UTF-8.
    if (bytes && size.QuadPart == 0 && StartsWithUtf8Bom(*bytes)) bytes.reset();
    if (bytes) {
      LARGE_INTEGER zero{};
      return ::SetFilePointerEx(file.get(), zero, nullptr, FILE_END) &&
             WriteAll(file.get(), *bytes);
    }
    // The record does not fit the ANSI file: rewrite it whole below.
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(file.get(), zero, nullptr, FILE_BEGIN) ||
        !ReadAll(file.get(), existing))
      return false;
  }
  FavoritesContent content = ParseFavorites(existing, ansi);
  content.records.push_back(record);
  return ReplaceFileContent(path, SerializeFavorites(content.records, ansi));
}

void NotifyFavoritesChanged() {
  HWND window = ::FindWindowW(nullptr, kMainWindowTitle);
  if (!window) return;
  COPYDATASTRUCT data{};
  data.dwData = COPYDATA_FAVORITES_CHANGED;
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                        kNotifyTimeoutMs, &result);
}

}  // namespace stashly
