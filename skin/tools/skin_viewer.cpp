// Shows one skin description as a skinned dialog, for people to look at a skin without the
// program around it: skin_viewer [relative path of the skin, default config\main.xml]
#include <windows.h>

#include <string>

#include "skin/easy_dialog.h"
#include "win/message_loop.h"

namespace {

class ViewerDialog : public stashly::CXEasyDialog {
 public:
  explicit ViewerDialog(std::wstring skin) : skin_(std::move(skin)) {}

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    switch (message) {
      case WM_INITDIALOG:
        SetDraggable(true);
        LoadSkin(skin_);
        break;
      case WM_COMMAND:
        // Enter, and whatever would end a modal skinned dialog, closes the viewer.
        if (LOWORD(wParam) != IDOK && !EndFor(LOWORD(wParam))) break;
        ::DestroyWindow(hwnd());
        result = 0;
        return true;
      case WM_DESTROY:
        ::PostQuitMessage(0);
        break;
    }
    return CXEasyDialog::HandleMessage(message, wParam, lParam, result);
  }

 private:
  std::wstring skin_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int show) {
  std::wstring skin = commandLine && *commandLine ? commandLine : L"config\\main.xml";
  if (skin.size() >= 2 && skin.front() == L'"' && skin.back() == L'"')
    skin = skin.substr(1, skin.size() - 2);
  ViewerDialog dialog(skin);
  if (!dialog.CreateModeless(nullptr)) return 1;
  ::ShowWindow(dialog.hwnd(), show);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
