#pragma once
// The favourites file on disk: where it lives, reading it, rewriting it whole (main program),
// appending one record (Explorer extension) and telling a running main window to reload.
#include <windows.h>

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

// Rewrites the file from `records` (ANSI lines with CP_THREAD_ACP, UTF-8 when one does not fit).
// The new content goes to a temporary file beside it, which then replaces the old one, so a
// failure at any point leaves the old file whole. Creates the folder when it is missing.
bool WriteFavoritesFile(const std::wstring& path, const RecordList& records);
bool WriteFavoritesFile(const std::wstring& path, const std::vector<std::wstring>& records);

// Adds one record at the end of the file, as the Explorer extension does (CP_ACP), keeping the
// file's encoding; a record that does not fit an ANSI file turns the file into UTF-8 first.
// Creates the folder and the file when missing.
bool AppendFavorite(const std::wstring& path, const std::wstring& record);

// Sends the change notice to the window titled kMainWindowTitle, if there is one, and returns
// once it has reloaded (or has not answered for a long while).
void NotifyFavoritesChanged();

}  // namespace stashly
