// Stands in for an installer: notes where it was started from and with which command line in
// %TEMP%\renova_test_installer.txt, and ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring marker = std::wstring(temp) + L"renova_test_installer.txt";
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  ::WriteFile(file, self, static_cast<DWORD>(::lstrlenW(self) * sizeof(wchar_t)), &written,
              nullptr);
  ::CloseHandle(file);
  return 0;
}
