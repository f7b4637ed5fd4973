#include "app/extension_registration.h"

#include <shellapi.h>

#include "app/window_rules.h"
#include "win/module.h"

namespace stashly {

int RegisterExtension(bool registerIt, const wchar_t* fileName) {
  std::wstring parameters = Regsvr32Parameters(win::FileBesideProgram(fileName), registerIt);
  ::ShellExecuteW(nullptr, L"runas", L"regsvr32", parameters.c_str(), nullptr, SW_HIDE);
  return 1;
}

}  // namespace stashly
