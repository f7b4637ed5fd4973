#include "store/favorites_file.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <climits>
#include <vector>

#include "core/ascii.h"
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
// How long a writer waits for another to finish before it gives up (and writes nothing).
constexpr DWORD kLockTimeoutMs = 10000;
// The prefix of our temporary files beside the favourites file (GetTempFileNameW: favXXXX.tmp).
constexpr wchar_t kTempPrefix[] = L"fav";

std::atomic<WriteFaultHook> faultHook{nullptr};

// Whether the step may go ahead; a test's hook can make it fail as the system would.
bool Allowed(WriteStep step) {
  const WriteFaultHook hook = faultHook.load();
  if (hook && !hook(step)) {
    ::SetLastError(ERROR_DISK_FULL);
    return false;
  }
  return true;
}

// One writer at a time for a favourites file, across every process of the session: a named
// mutex whose name comes from the file's path. Held for one read-modify-write, never across a
// message to another window. A holder that died leaves it abandoned, which counts as free:
// thanks to the replace, the file it left is whole.
class FavoritesLock {
 public:
  explicit FavoritesLock(const std::wstring& path) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a of the path, ASCII case folded
    for (wchar_t c : path) {
      hash ^= static_cast<uint64_t>(AsciiLower(c));
      hash *= 1099511628211ull;
    }
    wchar_t name[64];
    ::wsprintfW(name, L"Local\\Stashly.Favorites.%08X%08X", static_cast<unsigned>(hash >> 32),
                static_cast<unsigned>(hash));
    mutex_.reset(::CreateMutexW(nullptr, FALSE, name));
    if (!mutex_) return;
    const DWORD wait = ::WaitForSingleObject(mutex_.get(), kLockTimeoutMs);
    held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  ~FavoritesLock() {
    if (held_) ::ReleaseMutex(mutex_.get());
  }
  FavoritesLock(const FavoritesLock&) = delete;
  FavoritesLock& operator=(const FavoritesLock&) = delete;
  bool held() const { return held_; }

 private:
  win::UniqueHandle mutex_;
  bool held_ = false;
};

// Only a file under a resolved application-data folder is written: a relative path would put
// the folders wherever the writing process happens to stand.
bool Writable(const std::wstring& path) {
  return !path.empty() && !::PathIsRelativeW(path.c_str());
}

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

// Temporary files of ours that a writer killed half-way left in `folder`. Called under the
// lock, when no other writer can be in the middle of a save.
void RemoveStaleTemporaryFiles(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  win::UniqueFile search(::FindFirstFileW(
      win::CombinePath(folder, std::wstring(kTempPrefix) + L"*.tmp").c_str(), &found));
  for (bool more = bool(search); more; more = ::FindNextFileW(search.get(), &found))
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      ::DeleteFileW(win::CombinePath(folder, found.cFileName).c_str());
}

// The target's attributes and access rights, given to the file that is to take its place, as
// saving in place would have kept them. (ReplaceFileW would do this, but some systems carry it
// out by moving the old file aside first: a writer stopped at that moment leaves no file.)
void TakeOverAttributes(const std::wstring& target, const wchar_t* temp) {
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;  // no file yet
  DWORD needed = 0;
  ::GetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  if (needed > 0) {
    std::vector<BYTE> security(needed);
    if (::GetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, security.data(), needed,
                           &needed))
      ::SetFileSecurityW(temp, DACL_SECURITY_INFORMATION, security.data());
  }
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (attributes & kKept) ::SetFileAttributesW(temp, attributes & kKept);
}

// Puts the finished temporary file in the target's place in one step: a rename that replaces.
bool PutInPlace(const wchar_t* temp, const std::wstring& path) {
  if (!Allowed(WriteStep::kReplace)) return false;
  TakeOverAttributes(path, temp);
  return ::MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         FALSE;
}

// Writes `bytes` to a new temporary file in the target's folder and puts it in the target's
// place. The caller holds the lock.
bool ReplaceFileContent(const std::wstring& path, std::string_view bytes) {
  const std::wstring folder = win::ParentFolder(path);
  RemoveStaleTemporaryFiles(folder);
  wchar_t temp[MAX_PATH] = {};
  if (!Allowed(WriteStep::kCreate) || !::GetTempFileNameW(folder.c_str(), kTempPrefix, 0, temp))
    return false;
  bool ok = false;
  {
    win::UniqueFile file(::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = file && Allowed(WriteStep::kWrite) && WriteAll(file.get(), bytes) &&
         Allowed(WriteStep::kFlush) && ::FlushFileBuffers(file.get());
  }
  ok = ok && CanOverwrite(path) && PutInPlace(temp, path);
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
  if (!Writable(path)) return false;
  FavoritesLock lock(path);
  if (!lock.held()) return false;
  win::CreateFolderTree(win::ParentFolder(path));
  return ReplaceFileContent(path, SerializeFavorites(records, win::CodePageCodec(CP_THREAD_ACP)));
}

// Reads the whole file for a change; false when it exists but cannot be read (a missing file
// is an empty list).
bool ReadForChange(const std::wstring& path, RecordList& records) {
  return ReadFavoritesFile(path, records) != ReadResult::kUnreadable;
}

}  // namespace

bool WriteFavoritesFile(const std::wstring& path, const RecordList& records) {
  return WriteRecords(path, records);
}

bool WriteFavoritesFile(const std::wstring& path, const std::vector<std::wstring>& records) {
  return WriteRecords(path, records);
}

bool AppendFavorite(const std::wstring& path, const std::wstring& record) {
  return AppendFavorites(path, std::span<const std::wstring>(&record, 1));
}

bool AppendFavorites(const std::wstring& path, std::span<const std::wstring> records) {
  if (!Writable(path) || records.empty()) return false;
  // A record must read back as itself: one line, its end not taken for part of a line end.
  for (const std::wstring& record : records)
    if (record.empty() || record.find(L'\n') != std::wstring::npos || record.back() == L'\r')
      return false;
  FavoritesLock lock(path);
  if (!lock.held()) return false;
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
    std::optional<std::string> bytes = std::string();
    for (const std::wstring& record : records) {
      auto encoded = EncodeAppendedRecord(record, encoding, unterminated && bytes->empty(), ansi);
      if (!encoded) {
        bytes.reset();
        break;
      }
      *bytes += *encoded;
    }
    // The first bytes of a file decide its encoding: ANSI text that starts like the UTF-8 mark
    // goes through the rewrite, which writes such a file as UTF-8.
    if (bytes && size.QuadPart == 0 && StartsWithUtf8Bom(*bytes)) bytes.reset();
    if (bytes) {
      // One write of all the records: a writer stopped at any moment leaves them there or not.
      LARGE_INTEGER zero{};
      return ::SetFilePointerEx(file.get(), zero, nullptr, FILE_END) &&
             Allowed(WriteStep::kWrite) && WriteAll(file.get(), *bytes);
    }
    // A record does not fit the ANSI file: rewrite it whole below.
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(file.get(), zero, nullptr, FILE_BEGIN) ||
        !ReadAll(file.get(), existing))
      return false;
  }
  FavoritesContent content = ParseFavorites(existing, ansi);
  for (const std::wstring& record : records) content.records.push_back(record);
  return ReplaceFileContent(path, SerializeFavorites(content.records, ansi));
}

bool RemoveFavorites(const std::wstring& path, const RecordList& seen,
                     std::span<const size_t> chosen) {
  if (!Writable(path)) return false;
  FavoritesLock lock(path);
  if (!lock.held()) return false;
  RecordList current;
  if (!ReadForChange(path, current)) return false;
  const RecordList kept = WithoutChosen(current, seen, chosen);
  if (kept.size() == current.size()) return true;  // nothing of the choice is left to remove
  return ReplaceFileContent(path, SerializeFavorites(kept, win::CodePageCodec(CP_THREAD_ACP)));
}

bool MoveFavorites(const std::wstring& path, const RecordList& seen, std::span<const size_t> chosen,
                   bool down, std::vector<size_t>* nowAt) {
  if (nowAt) nowAt->clear();
  if (!Writable(path)) return false;
  FavoritesLock lock(path);
  if (!lock.held()) return false;
  RecordList records;
  if (!ReadForChange(path, records)) return false;
  const std::vector<bool> found = FindChosen(records, seen, chosen);
  const RecordList before = records;
  std::vector<size_t> moved = MoveChosen(records, found, down);
  bool changed = false;
  for (size_t i = 0; i < records.size() && !changed; ++i) changed = records[i] != before[i];
  if (changed &&
      !ReplaceFileContent(path, SerializeFavorites(records, win::CodePageCodec(CP_THREAD_ACP))))
    return false;
  if (nowAt) *nowAt = std::move(moved);
  return true;
}

void SetWriteFaultHook(WriteFaultHook hook) {
  faultHook = hook;
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
