#include "app/update_check.h"

#include <process.h>

#include "abi/update_module.h"
#include "win/module.h"
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
  const std::wstring path = win::FileBesideProgram(L"Renova.dll");
  if (path.empty()) return 0;
  win::UniqueModule module(::LoadLibraryW(path.c_str()));
  if (!module) return 0;
  if (auto check = win::GetExport<CheckForNewVersionFn>(module.get(), "CheckForNewVersion"))
    check(UpdateIniAddress(), L"stashly", nullptr);
  return 0;
}

}  // namespace

bool StartUpdateCheck(HWND mainWindow) {
  win::UniqueHandle thread(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, UpdateCheckThread, mainWindow, 0, nullptr)));
  return bool(thread);
}

}  // namespace stashly
