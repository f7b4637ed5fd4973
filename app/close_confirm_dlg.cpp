#include "app/close_confirm_dlg.h"

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
  if (message == WM_INITDIALOG) {
    SetDraggable(true);
    LoadSkin(L"config\\close.xml");
    ::SetForegroundWindow(hwnd());
  }
  return CConfirmDlg::HandleMessage(message, wParam, lParam, result);
}

}  // namespace stashly
