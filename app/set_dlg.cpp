#include "app/set_dlg.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "app/extension_registration.h"
#include "app/settings_store.h"
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
  if (FAILED(::CoInitialize(nullptr))) return;
  {
    win::ComPtr<IShellLinkW> link;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, link.put_void()))) {
      link->SetPath(target.c_str());
      link->SetDescription(description.c_str());
      wchar_t folder[MAX_PATH] = {};
      ::lstrcpynW(folder, target.c_str(), MAX_PATH);
      ::PathRemoveFileSpecW(folder);
      link->SetWorkingDirectory(folder);
      link->SetShowCmd(SW_SHOW);
      if (auto file = link.Query<IPersistFile>()) file->Save(linkPath.c_str(), TRUE);
    }
  }
  ::CoUninitialize();
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
    SetCheck(6001, static_cast<int>(autohide));
    autohideShown_ = autohide;
  }
  std::wstring shortcut = StartupShortcutPath();
  startupShown_ = !shortcut.empty() && ::PathFileExistsW(shortcut.c_str()) ? 1 : 0;
  rightmenuShown_ = ReadSettingDwordWithDefault(kRightMenuValue);
  SetCheck(6000, startupShown_);
  SetCheck(6002, static_cast<int>(rightmenuShown_));
  ::SetForegroundWindow(hwnd());
}

void CSetDlg::Apply() {
  int startup = GetCheck(6000);
  int autohide = GetCheck(6001);
  int rightmenu = GetCheck(6002);
  wchar_t program[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, program, MAX_PATH);
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
  if (static_cast<DWORD>(rightmenu) != rightmenuShown_) {
    WriteSettingDword(kRightMenuValue, rightmenu ? 1 : 0);
    RegisterExtension(rightmenu != 0, kExtensionFileName);
  }
  EndDialog(1);
}

bool CSetDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      Open();
      break;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case 1:
          result = 0;
          return true;
        case 2:
          EndDialog(2);
          result = 0;
          return true;
        case 5001:
          Apply();
          result = 0;
          return true;
        case 5000:
          EndDialog(5000);
          result = 0;
          return true;
      }
      break;
  }
  return CXEasyDialog::HandleMessage(message, wParam, lParam, result);
}

}  // namespace stashly
