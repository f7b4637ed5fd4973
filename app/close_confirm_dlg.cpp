#include "app/close_confirm_dlg.h"

#include "app/command_ids.h"
#include "store/settings_store.h"

namespace stashly {

void CCloseConfirmDlg::Confirm() {
  auto* remember = GetControlAs<CXButtonImpl>(ID_CLOSE_REMEMBER);
  bool rememberIt = remember && remember->GetCheck();
  bool exit = GetRadioSelection(kCloseChoiceGroup) == ID_CLOSE_EXIT;
  if (rememberIt) WriteSettingDword(kExitWhenCloseValue, exit ? 1 : 0);
  EndDialog(IDOK);
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
        case ID_CLOSE_CONFIRM:
          Confirm();
          result = 0;
          return true;
        case ID_CLOSE_CANCEL:
          EndDialog(ID_CLOSE_CANCEL);
          result = 0;
          return true;
        case IDCANCEL:
          EndDialog(IDCANCEL);
          result = 0;
          return true;
      }
      break;
  }
  return CXEasyDialog::HandleMessage(message, wParam, lParam, result);
}

}  // namespace stashly
