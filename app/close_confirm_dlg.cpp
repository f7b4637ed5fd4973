#include "app/close_confirm_dlg.h"

#include "app/settings_store.h"

namespace stashly {

void CCloseConfirmDlg::Confirm() {
  auto* remember = GetControlAs<CXButtonImpl>(6000);
  bool rememberIt = remember && remember->GetCheck();
  bool exit = GetRadioSelection(1) == 7001;
  if (rememberIt) WriteSettingDword(kExitWhenCloseValue, exit ? 1 : 0);
  EndDialog(1);
  result_ = exit ? kResultExit : kResultHide;
}

bool CCloseConfirmDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      SetDraggable(true);
      LoadSkin(L"config\\close.xml");
      ::SetForegroundWindow(hwnd());
      break;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case 5001:
          Confirm();
          result = 0;
          return true;
        case 5000:
          EndDialog(5000);
          result = 0;
          return true;
        case 2:
          EndDialog(2);
          result = 0;
          return true;
      }
      break;
  }
  return CXEasyDialog::HandleMessage(message, wParam, lParam, result);
}

}  // namespace stashly
