// A plain window titled as the main program, listing the favourites file. It stands in for
// the skinned main window until that is built, so that the tree can be run end to end.
#include <windows.h>

#include "app/favorites_file.h"

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (HWND list = ::GetDlgItem(window, 100))
        ::MoveWindow(list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_COPYDATA: {
      auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!data || data->dwData != stashly::COPYDATA_FAVORITES_CHANGED) return FALSE;
      HWND list = ::GetDlgItem(window, 100);
      ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
      stashly::RecordList records;
      stashly::ReadFavoritesFile(stashly::FavoritesFilePath(), records);
      for (size_t i = 0; i < records.size(); ++i)
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(records.c_str(i)));
      return TRUE;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  if (HWND running = ::FindWindowW(nullptr, stashly::kMainWindowTitle)) {
    ::ShowWindow(running, SW_SHOW);
    ::SetForegroundWindow(running);
    return 0;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"StashlyPlaceholder";
  ::RegisterClassW(&windowClass);
  HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, stashly::kMainWindowTitle,
                                  WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 480,
                                  nullptr, nullptr, instance, nullptr);
  ::CreateWindowExW(0, L"LISTBOX", nullptr,
                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0, window,
                    reinterpret_cast<HMENU>(100), instance, nullptr);
  COPYDATASTRUCT reload{stashly::COPYDATA_FAVORITES_CHANGED, 0, nullptr};
  ::SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&reload));
  ::ShowWindow(window, show);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
