// Shows one skin description as a skinned dialog, for people to look at a skin without the
// program around it:
//   skin_viewer [skin, relative to the program's folder; default config\main.xml] [shown file]
// Given a shown file, the viewer writes where its window is on the screen into it ("left top
// width height") once the window and all its controls have been painted: scripts/screenshot
// waits for that rather than for a while.
#include <windows.h>

#include <stdlib.h>

#include <string>

#include "skin/easy_dialog.h"
#include "win/file_write.h"
#include "win/unique_any.h"

namespace {

constexpr UINT_PTR kShownTimer = 1;

class ViewerDialog : public stashly::CXEasyDialog {
 public:
  ViewerDialog(std::wstring skin, std::wstring shownFile)
      : skin_(std::move(skin)), shownFile_(std::move(shownFile)) {}

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    switch (message) {
      case WM_INITDIALOG:
        SetDraggable(true);
        LoadSkin(skin_);
        // A timer's message comes only once nothing of the thread's windows is left to paint.
        if (!shownFile_.empty()) ::SetTimer(hwnd(), kShownTimer, 0, nullptr);
        break;
      case WM_TIMER:
        if (wParam != kShownTimer) break;
        ::KillTimer(hwnd(), kShownTimer);
        SayShown();
        result = 0;
        return true;
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
  // Writes the window's place to the shown file, under another name first: whoever waits for
  // the file never reads half of it.
  void SayShown() const {
    RECT rect{};
    ::GetWindowRect(hwnd(), &rect);
    const std::string place = std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                              std::to_string(rect.right - rect.left) + " " +
                              std::to_string(rect.bottom - rect.top) + "\n";
    const std::wstring partial = shownFile_ + L".partial";
    {
      win::UniqueFile file(::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file || !win::WriteAll(file.get(), place)) return;
    }
    ::MoveFileExW(partial.c_str(), shownFile_.c_str(), MOVEFILE_REPLACE_EXISTING);
  }

  std::wstring skin_;
  std::wstring shownFile_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  ViewerDialog dialog(__argc > 1 ? __wargv[1] : L"config\\main.xml", __argc > 2 ? __wargv[2] : L"");
  if (!dialog.CreateModeless(nullptr)) return 1;
  ::ShowWindow(dialog.hwnd(), show);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
