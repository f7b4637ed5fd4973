#pragma once
// Asks whether closing the main window means exit or hide, and can remember the answer.
#include "skin/easy_dialog.h"

namespace stashly {

class CCloseConfirmDlg : public CXEasyDialog {
 public:
  static constexpr int kResultExit = 1;
  static constexpr int kResultHide = 2;

  // 0 until the user confirms; then kResultExit or kResultHide.
  int result() const { return result_; }

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Confirm();
  int result_ = 0;
};

}  // namespace stashly
