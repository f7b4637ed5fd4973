#pragma once
// The favourites file on disk: where it lives, reading it, changing it (main program), appending
// records (Explorer extension) and telling a running main window to reload.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "store/favorites_format.h"
#include "store/names.h"

namespace stashly {

// <application data>\Norvane\Stashly\favorite.qvd; relative to the current directory when the
// application-data folder cannot be found, empty when the path would not fit MAX_PATH.
std::wstring FavoritesFilePath();
// Where a file that did not read back as itself is kept before it is first replaced.
std::wstring DamagedCopyPath(const std::wstring& path);

// The largest list the program takes: far more than anybody keeps, and what a 32-bit program
// reads, changes and draws without running short of memory. A larger file is left as it is.
inline constexpr uint64_t kMaxFavoritesBytes = 32u << 20;
inline constexpr size_t kMaxFavorites = 100000;

enum class ReadResult {
  kRead,        // the file was read (it may hold no records)
  kMissing,     // there is no such file (or folder): an empty list
  kUnreadable,  // it exists but could not be opened or read (held, access denied)
  kTooLarge,    // past the limits above: not read
};

// Reads every record, converting ANSI lines with CP_ACP. A file held by another program is tried
// again for a moment before it counts as unreadable. `lossless`, when given, tells whether the
// records are all the file said (see ParseFavorites).
ReadResult ReadFavoritesFile(const std::wstring& path, RecordList& records,
                             bool* lossless = nullptr);

// Why a change of the file was not made; the file is then as it was.
enum class StoreError {
  kNone,
  kBusy,        // another writer kept the lock past the time-out
  kDenied,      // read-only file, or no right to write
  kInUse,       // held by another program that shares it with nobody
  kDiskFull,
  kTooLarge,    // the list is past the limits
  kBadRecord,   // a record that would not read back as itself
  kNoFolder,    // no application-data folder to write in
  kFailed,      // anything else the system refused
};

class StoreResult {
 public:
  StoreResult(StoreError error = StoreError::kNone) : error_(error) {}
  explicit operator bool() const { return error_ == StoreError::kNone; }
  StoreError error() const { return error_; }

 private:
  StoreError error_;
};

// The reason in the user's words, one sentence.
const wchar_t* StoreErrorText(StoreError error);

// Every change of the file is made under one lock shared by every process that writes it
// (whatever its session or rights, and on another computer sharing the folder), as a
// read-modify-write of the file as it is now; a writer that cannot get the lock within a few
// seconds writes nothing. A whole-file write goes to a temporary file beside it, which then
// takes the file's place, so a failure or a stop at any point leaves the old file whole; the
// temporary files a stopped writer left are removed by the next write. Before a file that did
// not read back as itself is replaced, its bytes are kept at DamagedCopyPath. Nothing is written
// unless the path is absolute (under a resolved application-data folder); the folders are
// created as needed. Every writer uses the ANSI code page (CP_ACP), UTF-8 when a record does not
// fit it.

// Rewrites the file from `records`, whatever it held.
StoreResult WriteFavoritesFile(const std::wstring& path, const RecordList& records);
StoreResult WriteFavoritesFile(const std::wstring& path, const std::vector<std::wstring>& records);

// Adds the records at the end of the file in their order, in one step (all or none), in the
// file's encoding; a record that does not fit an ANSI file turns the file into UTF-8 first.
// Creates the file when missing. Refuses a record that would not read back as itself.
StoreResult AppendFavorites(const std::wstring& path, std::span<const std::wstring> records);
StoreResult AppendFavorite(const std::wstring& path, const std::wstring& record);

// Removes from the file as it is now the records at `chosen` in `seen`, the list the user saw
// (see WithoutChosen): a record added meanwhile stays, a record changed meanwhile is not taken
// blindly.
StoreResult RemoveFavorites(const std::wstring& path, const RecordList& seen,
                            std::span<const size_t> chosen);

// Moves the records at `chosen` in `seen` (found as RemoveFavorites finds them) one place up or
// down in the file as it is now (see MoveChosen), and tells where they are now in it.
StoreResult MoveFavorites(const std::wstring& path, const RecordList& seen,
                          std::span<const size_t> chosen, bool down, std::vector<size_t>* nowAt);

// For tests: a function asked before each step of a write; returning false makes that step fail
// as a full disk would (a write then stops half-way). Null (the default) lets every step go.
enum class WriteStep { kCreate, kWrite, kFlush, kReplace };
using WriteFaultHook = bool (*)(WriteStep step);
void SetWriteFaultHook(WriteFaultHook hook);

// The running program's main window: its own class and kMainWindowTitle. Null when none runs.
HWND FindMainWindow();

// Sends the change notice to the running program's main window, if there is one, and returns
// once it has reloaded (or has not answered for a long while).
void NotifyFavoritesChanged();

}  // namespace stashly
