#pragma once
// The names by which the program and its Explorer extension find each other.
#include <windows.h>

namespace stashly {

// The main window's title, and its own window class: other processes find the running program by
// both, so that another window with that title (an Explorer window of a folder so named) is
// never taken for it.
inline constexpr wchar_t kMainWindowTitle[] = L"Velto文件收藏夹";
inline constexpr wchar_t kMainWindowClass[] = L"Stashly.MainWindow";
// dwData of the WM_COPYDATA change notice: the favourites file has changed, read it again.
inline constexpr ULONG_PTR COPYDATA_FAVORITES_CHANGED = 1;
// The control id of the main window's favourites list, by which other processes read its rows.
inline constexpr int kListViewId = 1000;

}  // namespace stashly
