#pragma once
// The favourites file on disk: where it lives, reading it, rewriting it whole (main program),
// appending one record (Explorer extension) and telling a running main window to reload.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "store/favorites_format.h"
#include "store/names.h"

namespace stashly {

// <application data>\Norvane\Stashly\favorite.qvd; relative to the current directory when the
// application-data folder cannot be found, empty when the path would not fit MAX_PATH.
std::wstring FavoritesFilePath();

enum class ReadResult {
  kRead,        // the file was read (it may hold no records)
  kMissing,     // there is no such file (or folder): an empty list
  kUnreadable,  // it exists but could not be opened or read (locked, access denied)
};

// Reads every record, converting ANSI lines with CP_ACP.
ReadResult ReadFavoritesFile(const std::wstring& path, RecordList& records);

// Every change of the file is made under one lock shared by every process that writes it, as a
// read-modify-write of the file as it is now; a writer that cannot get the lock within a few
// seconds writes nothing. A whole-file write goes to a temporary file beside it, which then
// takes the file's place, so a failure or a stop at any point leaves the old file whole; the
// temporary files a stopped writer left are removed by the next write. Nothing is written
// unless the path is absolute (under a resolved application-data folder); the folders are
// created as needed.

// Rewrites the file from `records` (ANSI lines with CP_THREAD_ACP, UTF-8 when one does not fit).
bool WriteFavoritesFile(const std::wstring& path, const RecordList& records);
bool WriteFavoritesFile(const std::wstring& path, const std::vector<std::wstring>& records);

// Adds one record at the end of the file (CP_ACP), keeping the file's encoding; a record that
// does not fit an ANSI file turns the file into UTF-8 first. Creates the file when missing.
bool AppendFavorite(const std::wstring& path, const std::wstring& record);
// Adds the records at the end in their order, in one step (all or none); false when one of them
// could not be read back as written (empty, holding a line feed or ending in a carriage return).
bool AppendFavorites(const std::wstring& path, std::span<const std::wstring> records);

// Removes from the file as it is now the records at `chosen` in `seen`, the list the user saw
// (see WithoutChosen): a record added meanwhile stays, a record changed meanwhile is not taken
// blindly. False when the file cannot be read or written.
bool RemoveFavorites(const std::wstring& path, const RecordList& seen,
                     std::span<const size_t> chosen);

// Moves the records at `chosen` in `seen` (found as RemoveFavorites finds them) one place up or
// down in the file as it is now (see MoveChosen), and tells where they are now in it.
bool MoveFavorites(const std::wstring& path, const RecordList& seen, std::span<const size_t> chosen,
                   bool down, std::vector<size_t>* nowAt);

// For tests: a function asked before each step of a write; returning false makes that step fail
// as a full disk would. Null (the default) lets every step go ahead.
enum class WriteStep { kCreate, kWrite, kFlush, kReplace };
using WriteFaultHook = bool (*)(WriteStep step);
void SetWriteFaultHook(WriteFaultHook hook);

// Sends the change notice to the window titled kMainWindowTitle, if there is one, and returns
// once it has reloaded (or has not answered for a long while).
void NotifyFavoritesChanged();

}  // namespace stashly
