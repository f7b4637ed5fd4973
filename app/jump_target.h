#pragma once
// Opening a favourite in place: the window that was in front when the main window came back (a
// common file dialog, an Explorer window) is taken to the entry instead of a new window opening.
// That window belongs to another program and may close or change at any moment: every step
// checks it is still what it was, talks to it only through SendMessageTimeout, and types into
// nothing but a file dialog's file-name box. Whatever does not work out leaves the ordinary
// open to the caller.
#include <windows.h>

#include <string>

#include "app/jump_rules.h"

namespace stashly {

class JumpTarget {
 public:
  // The window in front as the main window `self` comes back; one of this program's own is
  // not remembered (the last one stays).
  void Remember(HWND foreground, HWND self);
  // Takes the remembered window to `path` when the switch is on and the window is still a file
  // dialog or an Explorer window, brings it to the front and returns true; false when the
  // caller should open the ordinary way.
  bool Open(const std::wstring& path);

  HWND window() const { return window_; }

 private:
  // The remembered window's kind now, kNone when it is gone, hidden, hung or not the same; a
  // file dialog's file-name box in `nameBox`.
  JumpWindow Current(HWND& nameBox) const;

  HWND window_ = nullptr;
  DWORD process_ = 0;
  std::wstring class_;
};

}  // namespace stashly
