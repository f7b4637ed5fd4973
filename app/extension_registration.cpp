#include "app/extension_registration.h"

#include <objbase.h>
#include <shellapi.h>

#include "app/window_rules.h"
#include "store/settings_store.h"
#include "win/module.h"
#include "win/thread.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

// A tool of the system's own width: the package cmdlets are not there for a 32-bit PowerShell on
// 64-bit Windows, the 64-bit extension is registered by the 64-bit regsvr32, and a bare name
// could find a program planted elsewhere.
std::wstring SystemToolPath(const wchar_t* tool) {
  wchar_t windows[MAX_PATH];
  const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  return win::CombinePath(win::CombinePath(windows, wow64 ? L"Sysnative" : L"System32"), tool);
}

// The ordinary "open" verb: everything the tools write is this user's own, so nothing asks for
// elevation. The process, or an empty handle when it did not start.
win::UniqueHandle Start(const std::wstring& program, const std::wstring& parameters) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_HIDE;
  if (program.empty() || !::ShellExecuteExW(&info)) return {};
  return win::UniqueHandle(info.hProcess);
}

void SwitchClassic(bool registerIt, const std::wstring& dll) {
  Start(SystemToolPath(L"regsvr32.exe"), Regsvr32Parameters(dll, registerIt));
}

bool UsesPackage(const std::wstring& package) {
  DWORD registered = 0;
  return ReadSettingDword(kExplorerPackageValue, registered) && registered == 1 &&
         ::GetFileAttributesW(package.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// When Windows does not add the package (an untrusted certificate, no PowerShell), the classic
// extension takes its place, as the setup does, and the switch uses it from then on.
void FallBackToClassic(const std::wstring& dll) {
  WriteSettingDword(kExplorerPackageValue, 0);
  SwitchClassic(true, dll);
}

// PowerShell runs on a thread of its own, so that the window is not held up meanwhile. Without a
// thread to spare it is as if PowerShell had not started.
void SwitchPackage(bool registerIt, const std::wstring& package, const std::wstring& dll) {
  win::Thread thread;
  const bool started = thread.start(
      [registerIt, dll,
       parameters = PackageSwitchParameters(registerIt, package, win::ProgramFolder())] {
        const HRESULT com =
            ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        DWORD code = 1;
        if (win::UniqueHandle powerShell =
                Start(SystemToolPath(L"WindowsPowerShell\\v1.0\\powershell.exe"), parameters);
            powerShell && ::WaitForSingleObject(powerShell.get(), INFINITE) == WAIT_OBJECT_0)
          ::GetExitCodeProcess(powerShell.get(), &code);
        if (registerIt && code != 0) FallBackToClassic(dll);
        if (SUCCEEDED(com)) ::CoUninitialize();
      });
  if (!started && registerIt) FallBackToClassic(dll);
  thread.detach();
}

}  // namespace

int RegisterExtension(bool registerIt, const wchar_t* fileName) {
  const std::wstring dll = win::FileBesideProgram(fileName);
  const std::wstring package = win::FileBesideProgram(kExplorerPackageFileName);
  if (UsesPackage(package))
    SwitchPackage(registerIt, package, dll);
  else
    SwitchClassic(registerIt, dll);
  return 1;
}

}  // namespace stashly
