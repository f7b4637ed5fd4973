#include "app/extension_registration.h"

#include <shellapi.h>

#include "app/window_rules.h"
#include "store/settings_store.h"
#include "win/module.h"

namespace stashly {
namespace {

// The system's own PowerShell, of the system's width: the package cmdlets are not there for a
// 32-bit PowerShell on 64-bit Windows, and a bare name could find a program planted elsewhere.
std::wstring PowerShellPath() {
  wchar_t windows[MAX_PATH];
  const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  return win::CombinePath(windows, wow64 ? L"Sysnative\\WindowsPowerShell\\v1.0\\powershell.exe"
                                         : L"System32\\WindowsPowerShell\\v1.0\\powershell.exe");
}

bool UsesPackage(const std::wstring& package) {
  DWORD registered = 0;
  return ReadSettingDword(kExplorerPackageValue, registered) && registered == 1 &&
         ::GetFileAttributesW(package.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int RegisterExtension(bool registerIt, const wchar_t* fileName) {
  const std::wstring package = win::FileBesideProgram(kExplorerPackageFileName);
  const std::wstring powerShell = UsesPackage(package) ? PowerShellPath() : std::wstring();
  if (!powerShell.empty()) {
    std::wstring parameters = PackageSwitchParameters(registerIt, package, win::ProgramFolder());
    ::ShellExecuteW(nullptr, L"open", powerShell.c_str(), parameters.c_str(), nullptr, SW_HIDE);
    return 1;
  }
  std::wstring parameters = Regsvr32Parameters(win::FileBesideProgram(fileName), registerIt);
  ::ShellExecuteW(nullptr, L"runas", L"regsvr32", parameters.c_str(), nullptr, SW_HIDE);
  return 1;
}

}  // namespace stashly
