#include "app/update_check.h"

#include <process.h>

#include "abi/update_module.h"
#include "win/module.h"
#include "win/unique_any.h"

namespace stashly {

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
