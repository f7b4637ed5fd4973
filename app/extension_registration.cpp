#include "app/extension_registration.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "app/window_rules.h"

namespace stashly {

std::wstring FileBesideProgram(const wchar_t* fileName) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  ::PathRemoveFileSpecW(path);
  ::PathAppendW(path, fileName);
  return path;
}

int RegisterExtension(bool registerIt, const wchar_t* fileName) {
  std::wstring parameters = Regsvr32Parameters(FileBesideProgram(fileName), registerIt);
  ::ShellExecuteW(nullptr, L"runas", L"regsvr32", parameters.c_str(), nullptr, SW_HIDE);
  return 1;
}

}  // namespace stashly
