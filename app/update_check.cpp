#include "app/update_check.h"

#include <process.h>
#include <shlwapi.h>

#include "app/xunknown.h"
#include "win/unique_any.h"

#ifndef STASHLY_SERVER
#define STASHLY_SERVER L"stashly.example"
#endif

namespace stashly {

const wchar_t* UpdateIniAddress() {
  return L"http://" STASHLY_SERVER L"/download/update.ini";
}
const wchar_t* UsageReportBase() {
  return L"http://" STASHLY_SERVER L"/stat.php?src=stashly&type=open&";
}

namespace {

unsigned __stdcall UpdateCheckThread(void*) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  // Appending "..\Renova.dll" drops the program's own file name.
  if (!::PathAppendW(path, L"..\\Renova.dll")) return 0;
  HMODULE module = ::LoadLibraryW(path);
  if (!module) return 0;
  if (auto check = reinterpret_cast<CheckForNewVersionFn>(
          reinterpret_cast<void*>(::GetProcAddress(module, "CheckForNewVersion"))))
    check(UpdateIniAddress(), L"stashly", nullptr);
  ::FreeLibrary(module);
  return 0;
}

}  // namespace

bool StartUpdateCheck(HWND mainWindow) {
  win::UniqueHandle thread(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, UpdateCheckThread, mainWindow, 0, nullptr)));
  return bool(thread);
}

}  // namespace stashly
