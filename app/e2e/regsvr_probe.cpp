// Stands in for the Explorer extension beside the program: records which registration entry
// point regsvr32 called (and DllInstall's command line), so a test can see that the switch really
// ran the tool, and how.
#include <windows.h>

#include <string>

namespace {

HRESULT Record(const std::string& what) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring path = std::wstring(temp) + L"stashly_regsvr_probe.txt";
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return E_FAIL;
  DWORD written = 0;
  ::WriteFile(file, what.data(), static_cast<DWORD>(what.size()), &written, nullptr);
  ::WriteFile(file, "\n", 1, &written, nullptr);
  ::CloseHandle(file);
  return S_OK;
}

}  // namespace

extern "C" HRESULT WINAPI DllRegisterServer() {
  return Record("register");
}
extern "C" HRESULT WINAPI DllUnregisterServer() {
  return Record("unregister");
}
extern "C" HRESULT WINAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  char line[64] = {};
  if (commandLine)
    ::WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, line, sizeof line - 1, nullptr, nullptr);
  return Record(std::string(install ? "install " : "uninstall ") + line);
}
