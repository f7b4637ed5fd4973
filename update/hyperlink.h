#pragma once
// A static text control made into a link: underlined, in the browser's link colours (visited or
// not), the hand cursor over it, a tooltip with the address, and a click opens the address.
#include <windows.h>

#include <string>

#include "win/unique_any.h"
#include "win/window.h"

namespace renova {

class CHyperLink : public win::Window {
 public:
  // Takes over the static control `control` and shows `address` in it.
  bool Attach(HWND control, const std::wstring& address);

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Paint();
  void Open();

  std::wstring address_;
  COLORREF linkColor_ = RGB(0, 0, 255);
  COLORREF visitedColor_ = RGB(128, 0, 128);
  bool visited_ = false;
  win::UniqueFont font_;
  // Owned by the dialog, which destroys it with itself.
  HWND tooltip_ = nullptr;
};

}  // namespace renova
