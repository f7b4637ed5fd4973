#include "store/favorites_file.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <new>
#include <vector>

#include "core/ascii.h"
#include "core/utf8.h"
#include "store/favorites_format.h"
#include "win/file_write.h"
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
// How long a file that another program holds (a virus scanner, a backup just after a replace)
// is tried again before it counts as unreadable.
constexpr int kHeldRetries = 10;
constexpr DWORD kHeldRetryMs = 100;
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

StoreError FromLastError() {
  switch (::GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return StoreError::kInUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return StoreError::kDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return StoreError::kDiskFull;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return StoreError::kTooLarge;
    default:
      return StoreError::kFailed;
  }
}

// CreateFileW, tried again for a moment while another program holds the file. A read-only file
// is not opened for writing, even where the process could (an administrator on some systems).
win::UniqueFile OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if ((access & GENERIC_WRITE) && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY)) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return win::UniqueFile();
  }
  for (int attempt = 1;; ++attempt) {
    win::UniqueFile file(::CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = ::GetLastError();
    if (file || attempt == kHeldRetries ||
        (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION &&
         error != ERROR_ACCESS_DENIED))
      return file;
    ::Sleep(kHeldRetryMs);
    ::SetLastError(error);
  }
}

// One writer at a time for a favourites file: an exclusive byte-range lock on a file beside it
// (favorite.qvd.lock), which every process sees whatever its session or rights, and which the
// system lets go when a holder dies (thanks to the replace, the file it left is whole). The lock
// file is opened for reading only, so one made by an elevated process serves everybody; it is
// never removed. Held for one read-modify-write, never across a message to another window.
class FavoritesLock {
 public:
  explicit FavoritesLock(const std::wstring& path) {
    if (!win::CreateFolderTree(win::ParentFolder(path))) {
      error_ = FromLastError() == StoreError::kDenied ? StoreError::kDenied : StoreError::kNoFolder;
      return;
    }
    file_.reset(::CreateFileW((path + L".lock").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!file_) {
      error_ = FromLastError();
      return;
    }
    const ULONGLONG deadline = ::GetTickCount64() + kLockTimeoutMs;
    for (DWORD pause = 1;; pause = pause < 32 ? pause * 2 : pause) {
      OVERLAPPED range{};
      if (::LockFileEx(file_.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &range)) {
        error_ = StoreError::kNone;
        return;
      }
      if (::GetTickCount64() >= deadline) return;
      ::Sleep(pause);
    }
  }
  ~FavoritesLock() {
    if (held()) {
      OVERLAPPED range{};
      ::UnlockFileEx(file_.get(), 0, 1, 0, &range);
    }
  }
  FavoritesLock(const FavoritesLock&) = delete;
  FavoritesLock& operator=(const FavoritesLock&) = delete;
  bool held() const { return error_ == StoreError::kNone; }
  StoreError error() const { return error_; }

 private:
  win::UniqueFile file_;
  StoreError error_ = StoreError::kBusy;
};

// Only a file under a resolved application-data folder is written: a relative path would put
// the folders wherever the writing process happens to stand.
bool Writable(const std::wstring& path) {
  return !path.empty() && !::PathIsRelativeW(path.c_str());
}

bool ReadAll(HANDLE file, std::string& bytes) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size)) return false;
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
  // A test's fault stops the write half-way, as a disk that fills up does.
  if (Allowed(WriteStep::kWrite)) return win::WriteAll(file, bytes);
  win::WriteAll(file, bytes.substr(0, bytes.size() / 2));
  ::SetLastError(ERROR_DISK_FULL);
  return false;
}

// A file that could not be opened for writing in place (read-only, or held open by a program
// that shares it with nobody) is not replaced behind that program's back either.
bool CanOverwrite(const std::wstring& path) {
  win::UniqueFile file = OpenFile(path, GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  OPEN_EXISTING);
  return file || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Temporary files of ours that a writer killed half-way left in `folder`. Called under the
// lock, when no other writer can be in the middle of a save.
void RemoveStaleTemporaryFiles(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  win::UniqueFind search(::FindFirstFileW(
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
StoreResult ReplaceFileContent(const std::wstring& path, std::string_view bytes) {
  const std::wstring folder = win::ParentFolder(path);
  RemoveStaleTemporaryFiles(folder);
  wchar_t temp[MAX_PATH] = {};
  if (!Allowed(WriteStep::kCreate) || !::GetTempFileNameW(folder.c_str(), kTempPrefix, 0, temp))
    return FromLastError();
  bool ok = false;
  {
    win::UniqueFile file(::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = file && WriteAll(file.get(), bytes) && Allowed(WriteStep::kFlush) &&
         ::FlushFileBuffers(file.get());
  }
  ok = ok && CanOverwrite(path) && PutInPlace(temp, path);
  if (ok) return StoreError::kNone;
  const StoreError error = FromLastError();
  ::DeleteFileW(temp);
  return error;
}

// The file as it is now, for a change: its records, and its own bytes when they did not read
// back losslessly (to be kept before the file is replaced).
struct Snapshot {
  ReadResult result = ReadResult::kMissing;
  StoreError error = StoreError::kNone;  // why a change cannot be made from it
  FavoritesContent content;
  std::string damagedBytes;
};

void ReadSnapshot(const std::wstring& path, Snapshot& snapshot) {
  snapshot = Snapshot();
  const auto fail = [&](ReadResult result, StoreError error) {
    snapshot.result = result;
    snapshot.error = error;
    snapshot.content = FavoritesContent();
  };
  if (path.empty()) return;
  win::UniqueFile file = OpenFile(path, GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  OPEN_EXISTING);
  if (!file) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
      fail(ReadResult::kUnreadable, FromLastError());
    return;
  }
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.get(), &size) &&
      static_cast<uint64_t>(size.QuadPart) > kMaxFavoritesBytes)
    return fail(ReadResult::kTooLarge, StoreError::kTooLarge);
  std::string bytes;
  if (!ReadAll(file.get(), bytes)) return fail(ReadResult::kUnreadable, FromLastError());
  snapshot.result = ReadResult::kRead;
  snapshot.content = ParseFavorites(bytes, win::CodePageCodec(CP_ACP));
  if (snapshot.content.records.size() > kMaxFavorites)
    return fail(ReadResult::kTooLarge, StoreError::kTooLarge);
  if (!snapshot.content.lossless) snapshot.damagedBytes = std::move(bytes);
}

// Replaces the file read as `before` by `records`; a file that did not read back as itself is
// kept at DamagedCopyPath first (only a damaged read replaces that copy).
template <typename Records>
StoreResult Rewrite(const std::wstring& path, const Snapshot& before, const Records& records) {
  if (records.size() > kMaxFavorites) return StoreError::kTooLarge;
  if (!before.damagedBytes.empty()) {
    if (StoreResult kept = ReplaceFileContent(DamagedCopyPath(path), before.damagedBytes); !kept)
      return kept;
  }
  return ReplaceFileContent(path, SerializeFavorites(records, win::CodePageCodec(CP_ACP)));
}

// Runs a change, turning a failed allocation (a list too large for this process) into a refusal
// that leaves the file as it was.
template <typename Change>
StoreResult Guarded(const std::wstring& path, Change change) {
  if (!Writable(path)) return StoreError::kNoFolder;
  try {
    FavoritesLock lock(path);
    if (!lock.held()) return lock.error();
    return change();
  } catch (const std::bad_alloc&) {
    return StoreError::kTooLarge;
  }
}

// Appends `bytes` at the end of the open file of `size` bytes, flushed; a write or flush that
// fails takes the file back to its old size, so a refused append leaves nothing behind.
StoreResult AppendInPlace(HANDLE file, int64_t size, std::string_view bytes) {
  LARGE_INTEGER end{};
  end.QuadPart = size;
  if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) return FromLastError();
  if (WriteAll(file, bytes) && Allowed(WriteStep::kFlush) && ::FlushFileBuffers(file))
    return StoreError::kNone;
  const StoreError error = FromLastError();
  ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  ::SetEndOfFile(file);
  return error;
}

}  // namespace

std::wstring FavoritesFilePath() {
  return win::CombinePath(win::SpecialFolderPath(CSIDL_APPDATA), kRelativePath);
}

std::wstring DamagedCopyPath(const std::wstring& path) {
  return path + L".bak";
}

const wchar_t* StoreErrorText(StoreError error) {
  switch (error) {
    case StoreError::kNone:
      return L"";
    case StoreError::kBusy:
      return L"另一个程序正在修改收藏夹文件，等待超时。";
    case StoreError::kDenied:
      return L"收藏夹文件是只读的，或没有写入它的权限。";
    case StoreError::kInUse:
      return L"收藏夹文件正被另一个程序占用。";
    case StoreError::kDiskFull:
      return L"磁盘已满。";
    case StoreError::kTooLarge:
      return L"收藏夹文件太大（超过 32 MB 或 10 万条）。";
    case StoreError::kBadRecord:
      return L"这个名称无法作为一条收藏保存。";
    case StoreError::kNoFolder:
      return L"找不到保存收藏夹的应用程序数据文件夹。";
    case StoreError::kFailed:
      break;
  }
  return L"系统拒绝写入收藏夹文件。";
}

ReadResult ReadFavoritesFile(const std::wstring& path, RecordList& records, bool* lossless) {
  Snapshot snapshot;
  try {
    ReadSnapshot(path, snapshot);
  } catch (const std::bad_alloc&) {
    snapshot = Snapshot();
    snapshot.result = ReadResult::kTooLarge;
  }
  records = std::move(snapshot.content.records);
  if (lossless) *lossless = snapshot.content.lossless;
  return snapshot.result;
}

StoreResult WriteFavoritesFile(const std::wstring& path, const RecordList& records) {
  return Guarded(path, [&] { return Rewrite(path, Snapshot(), records); });
}

StoreResult WriteFavoritesFile(const std::wstring& path, const std::vector<std::wstring>& records) {
  return Guarded(path, [&] { return Rewrite(path, Snapshot(), records); });
}

StoreResult AppendFavorite(const std::wstring& path, const std::wstring& record) {
  return AppendFavorites(path, std::span<const std::wstring>(&record, 1));
}

StoreResult AppendFavorites(const std::wstring& path, std::span<const std::wstring> records) {
  if (records.empty()) return StoreError::kBadRecord;
  for (const std::wstring& record : records)
    if (!IsStorableRecord(record)) return StoreError::kBadRecord;
  return Guarded(path, [&]() -> StoreResult {
    const win::CodePageCodec ansi(CP_ACP);
    {
      win::UniqueFile file =
          OpenFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
      if (!file) return FromLastError();
      // Only the first three bytes (a mark) and the last one (an unended line) matter here, so
      // a long list is not read whole.
      LARGE_INTEGER size{};
      if (!::GetFileSizeEx(file.get(), &size)) return FromLastError();
      if (static_cast<uint64_t>(size.QuadPart) > kMaxFavoritesBytes) return StoreError::kTooLarge;
      char head[3] = {};
      DWORD headLength = 0;
      if (!::ReadFile(file.get(), head, sizeof head, &headLength, nullptr)) return FromLastError();
      char last = '\n';
      if (size.QuadPart > 0) {
        LARGE_INTEGER offset{};
        offset.QuadPart = size.QuadPart - 1;
        DWORD read = 0;
        if (!::SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN) ||
            !::ReadFile(file.get(), &last, 1, &read, nullptr) || read != 1)
          return FromLastError();
      }
      const std::optional<std::string> bytes = AppendedBytes(
          std::string_view(head, headLength), static_cast<uint64_t>(size.QuadPart), last, records,
          ansi);
      // One write of all the records: a writer stopped at any moment leaves them there or not.
      if (bytes) return AppendInPlace(file.get(), size.QuadPart, *bytes);
    }
    // They cannot simply be added: rewrite the file whole.
    Snapshot snapshot;
    ReadSnapshot(path, snapshot);
    if (snapshot.error != StoreError::kNone) return snapshot.error;
    RecordList& all = snapshot.content.records;
    for (const std::wstring& record : records) all.push_back(record);
    return Rewrite(path, snapshot, all);
  });
}

StoreResult RemoveFavorites(const std::wstring& path, const RecordList& seen,
                            std::span<const size_t> chosen) {
  return Guarded(path, [&]() -> StoreResult {
    Snapshot snapshot;
    ReadSnapshot(path, snapshot);
    if (snapshot.error != StoreError::kNone) return snapshot.error;
    const RecordList& current = snapshot.content.records;
    const RecordList kept = WithoutChosen(current, seen, chosen);
    if (kept.size() == current.size()) return StoreError::kNone;  // nothing of it is left
    return Rewrite(path, snapshot, kept);
  });
}

StoreResult MoveFavorites(const std::wstring& path, const RecordList& seen,
                          std::span<const size_t> chosen, bool down, std::vector<size_t>* nowAt) {
  if (nowAt) nowAt->clear();
  return Guarded(path, [&]() -> StoreResult {
    Snapshot snapshot;
    ReadSnapshot(path, snapshot);
    if (snapshot.error != StoreError::kNone) return snapshot.error;
    RecordList records = snapshot.content.records;
    std::vector<size_t> moved =
        MoveChosen(records, FindChosen(records, seen, chosen), down);
    bool changed = false;
    for (size_t i = 0; i < records.size() && !changed; ++i)
      changed = records[i] != snapshot.content.records[i];
    if (changed) {
      if (StoreResult written = Rewrite(path, snapshot, records); !written) return written;
    }
    if (nowAt) *nowAt = std::move(moved);
    return StoreError::kNone;
  });
}

void SetWriteFaultHook(WriteFaultHook hook) {
  faultHook = hook;
}

HWND FindMainWindow() {
  return ::FindWindowW(kMainWindowClass, kMainWindowTitle);
}

void NotifyFavoritesChanged() {
  HWND window = FindMainWindow();
  if (!window) return;
  COPYDATASTRUCT data{};
  data.dwData = COPYDATA_FAVORITES_CHANGED;
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                        kNotifyTimeoutMs, &result);
}

}  // namespace stashly
