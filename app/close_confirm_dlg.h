#pragma once
// Asks whether closing the main window means exit or hide, and can remember the answer.
#include "app/confirm_dlg.h"

namespace stashly {

class CCloseConfirmDlg : public CConfirmDlg {
 public:
  static constexpr int kResultExit = 1;
  static constexpr int kResultHide = 2;

  // 0 until the user confirms; then kResultExit or kResultHide.
  int result() const { return result_; }

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // Remembers the answer when asked to, and gives it as the result.
  void Confirm() override;

 private:
  int result_ = 0;
};

}  // namespace stashly
