#pragma once
// What the extension's entries do, the same from the classic menu and from the first-level
// Explorer commands.
#include <windows.h>

#include <span>
#include <string>

namespace clickwell {

// Starts the program that "installpath" names; nothing when the value is missing or empty.
void StartProgram();

// Appends `paths` to the favourites file in one locked write (all or none), then tells a running
// main window, which has read the file again when this returns. When nothing could be written,
// tells the user which item and why in a message box owned by `owner` (unless `quiet`: the
// caller asked for no user interface) and returns the failure.
HRESULT AddToFavorites(std::span<const std::wstring> paths, HWND owner, bool quiet);

}  // namespace clickwell
