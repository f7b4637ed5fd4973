#pragma once
// A skinned dialog that the user confirms or cancels: the settings and the close confirmation.
// Its skin's ID_CONFIRM_BUTTON carries out what the dialog shows, which then ends it with IDOK;
// ID_CANCEL_BUTTON ends it with its own id and the close button and Esc with IDCANCEL, leaving
// everything as it was. Enter does nothing unless a focused button takes it.
#include "app/command_ids.h"
#include "skin/easy_dialog.h"

namespace stashly {

class CConfirmDlg : public CXEasyDialog {
 protected:
  // Carries out what the dialog shows and ends it with IDOK.
  virtual void Confirm() = 0;

  std::span<const DialogEnd> Ends() const override { return kEnds; }
  bool OnCommand(UINT id) override {
    if (id == ID_CONFIRM_BUTTON) Confirm();
    return id == ID_CONFIRM_BUTTON || id == IDOK;
  }

 private:
  static constexpr DialogEnd kEnds[] = {{IDCANCEL, IDCANCEL}, {ID_CANCEL_BUTTON, ID_CANCEL_BUTTON}};
};

}  // namespace stashly
