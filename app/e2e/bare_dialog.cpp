// The yardstick for the start-up benchmark: a bare dialog from an in-memory template, built the
// same way as the program, that shows itself with a list view and runs a message loop.
#include <windows.h>
#include <commctrl.h>

#include "win/dialog.h"

namespace {

class BareDialog : public win::Dialog {
 protected:
  win::DialogTemplate Template() const override {
    return win::DialogTemplate().Style(win::kWsPopup).Bounds(0, 0, 300, 370).Title(u"bare dialog");
  }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message == WM_INITDIALOG) {
      ::CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 1, 50, 457,
                        459, hwnd(), reinterpret_cast<HMENU>(1000), nullptr, nullptr);
      result = TRUE;
      return true;
    }
    if (message == WM_CLOSE) {
      ::PostQuitMessage(0);
      result = 0;
      return true;
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
  }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  BareDialog dialog;
  if (!dialog.CreateModeless(nullptr)) return 1;
  ::ShowWindow(dialog.hwnd(), show);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
