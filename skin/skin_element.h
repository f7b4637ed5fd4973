#pragma once
// What a skin makes: every element object shares this base, so that a dialog can own and look
// up the six kinds alike. Also the private messages between a dialog and its radio buttons.
#include <windows.h>

namespace stashly {

// Radio button -> dialog (sent): the radio joins group wParam with id lParam.
inline constexpr UINT XWM_RADIOADD = WM_USER + 1;
// Radio button -> dialog (sent): radio lParam of group wParam has just been checked.
inline constexpr UINT XWM_RADIOCHECKED = WM_USER + 2;
// To a radio button: returns its checked state. Shares its value with WM_CREATE.
inline constexpr UINT XRM_GETCHECK = 1;
// To a radio button: wParam 1 checks it (and tells the dialog), 0 clears it. Shares its value
// with WM_DESTROY, so a radio button also clears its check when destroyed.
inline constexpr UINT XRM_SETCHECK = 2;

class CXSkinElement {
 public:
  virtual ~CXSkinElement() = default;
};

}  // namespace stashly
