#include "app/set_dlg.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "app/extension_registration.h"
#include "store/settings_store.h"
#include "win/com_ptr.h"
#include "win/shell_paths.h"

namespace stashly {

std::wstring StartupShortcutPath() {
  std::wstring folder = win::SpecialFolderPath(CSIDL_STARTUP);
  if (folder.empty()) return {};
  return win::CombinePath(folder, kStartupShortcutName);
}

void CreateShortcut(const std::wstring& target, const std::wstring& description,
                    const std::wstring& linkPath) {
  win::ScopedComInit com;
  if (!com.Usable()) return;
  win::ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void())))
    return;
  link->SetPath(target.c_str());
  link->SetDescription(description.c_str());
  wchar_t folder[MAX_PATH] = {};
  ::lstrcpynW(folder, target.c_str(), MAX_PATH);
  ::PathRemoveFileSpecW(folder);
  link->SetWorkingDirectory(folder);
  link->SetShowCmd(SW_SHOW);
  if (auto file = link.Query<IPersistFile>()) file->Save(linkPath.c_str(), TRUE);
}

void CSetDlg::SetCheck(int id, int value) {
  if (auto* check = GetControlAs<CXButtonImpl>(id)) check->SetCheck(value);
}

int CSetDlg::GetCheck(int id) const {
  auto* check = GetControlAs<CXButtonImpl>(id);
  return check ? check->GetCheck() : 0;
}

void CSetDlg::Open() {
  SetDraggable(true);
  LoadSkin(L"config\\set.xml");
  DWORD autohide = 0;
  if (ReadSettingDword(kAutoHideValue, autohide)) {
    SetCheck(ID_SET_AUTOHIDE, static_cast<int>(autohide));
    autohideShown_ = autohide;
  }
  std::wstring shortcut = StartupShortcutPath();
  startupShown_ = !shortcut.empty() && ::PathFileExistsW(shortcut.c_str()) ? 1 : 0;
  rightmenuShown_ = ReadSettingDwordWithDefault(kRightMenuValue);
  SetCheck(ID_SET_STARTUP, startupShown_);
  SetCheck(ID_SET_RIGHTMENU, static_cast<int>(rightmenuShown_));
  jumpShown_ = ReadSettingDwordWithDefault(kJumpInPlaceValue);
  SetCheck(ID_SET_JUMPINPLACE, static_cast<int>(jumpShown_));
  ::SetForegroundWindow(hwnd());
}

void CSetDlg::Confirm() {
  int startup = GetCheck(ID_SET_STARTUP);
  int autohide = GetCheck(ID_SET_AUTOHIDE);
  int rightmenu = GetCheck(ID_SET_RIGHTMENU);
  int jump = GetCheck(ID_SET_JUMPINPLACE);
  const std::wstring program = win::ModuleFilePath();
  // The raw stored values are compared: a "rightmenu" of 5 differs from a ticked box (1).
  if (startup != startupShown_) {
    std::wstring shortcut = StartupShortcutPath();
    if (!shortcut.empty()) {
      if (startup)
        CreateShortcut(program, L"", shortcut);
      else
        ::DeleteFileW(shortcut.c_str());
    }
  }
  if (static_cast<DWORD>(autohide) != autohideShown_)
    WriteSettingDword(kAutoHideValue, static_cast<DWORD>(autohide));
  if (static_cast<DWORD>(jump) != jumpShown_) WriteSettingDword(kJumpInPlaceValue, jump ? 1 : 0);
  if (static_cast<DWORD>(rightmenu) != rightmenuShown_) {
    WriteSettingDword(kRightMenuValue, rightmenu ? 1 : 0);
    RegisterExtension(rightmenu != 0, kExtensionFileName);
  }
  EndDialog(IDOK);
}

bool CSetDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_INITDIALOG) Open();
  return CConfirmDlg::HandleMessage(message, wParam, lParam, result);
}

}  // namespace stashly
