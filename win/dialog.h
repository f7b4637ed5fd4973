#pragma once
// Dialogs made from an in-memory template, bound to their object at WM_INITDIALOG.
#include <windows.h>

#include "win/dialog_template.h"
#include "win/window.h"

namespace win {

// Registers, once per process, a window class of this module that behaves as the system's dialog
// class, for a dialog that others must tell apart from any other window (DialogTemplate's
// WindowClass). False when it could not be registered.
bool RegisterDialogClass(const wchar_t* name, HICON icon = nullptr);

// Routing: HandleMessage first; what it leaves is reflected when it is a child notification,
// and anything else gets the default dialog processing. A handled message's result reaches the
// system the way it expects: returned directly for WM_INITDIALOG, the WM_CTLCOLOR* brushes and
// the other few messages that work that way, through DWLP_MSGRESULT for every other message.
class Dialog : public WindowBase {
 public:
  Dialog() = default;
  // A modeless window still open is destroyed.
  ~Dialog() override;

  // Runs the dialog modally; the result is the value given to EndDialog, or -1 when it could
  // not be shown.
  INT_PTR RunModal(HWND owner);
  // Creates the dialog modeless (shown only when its template has WS_VISIBLE). Null on failure.
  HWND CreateModeless(HWND owner);
  // The same from dialog resource `templateId` of the module this code is linked into.
  HWND CreateModelessFromResource(HWND owner, UINT templateId);

  bool EndDialog(INT_PTR result) const { return hwnd() && ::EndDialog(hwnd(), result) != FALSE; }
  bool DestroyWindow() const { return hwnd() && ::DestroyWindow(hwnd()) != FALSE; }

 protected:
  // The template the dialog is built from; the default is a small captioned pop-up.
  virtual DialogTemplate Template() const;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // A window just made for this object, or null when it did not bind to it.
  HWND Adopt(HWND hwnd);
  INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace win
