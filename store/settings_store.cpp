#include "store/settings_store.h"

#include <shlwapi.h>

namespace stashly {

bool ReadSettingDword(const wchar_t* name, DWORD& value) {
  DWORD type = REG_DWORD;
  DWORD data = 0;
  DWORD size = sizeof data;
  if (::SHGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, &type, &data, &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof data)
    return false;
  value = data;
  return true;
}

void WriteSettingDword(const wchar_t* name, DWORD value) {
  ::SHSetValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof value);
}

DWORD ReadSettingDwordWithDefault(const wchar_t* name) {
  DWORD value = 1;
  if (!ReadSettingDword(name, value)) {
    value = 1;
    WriteSettingDword(name, value);
  }
  return value;
}

bool ReadSettingString(const wchar_t* key, const wchar_t* name, std::wstring& value) {
  wchar_t buffer[MAX_PATH] = {};
  DWORD type = REG_SZ;
  DWORD size = sizeof buffer;
  if (::SHGetValueW(HKEY_CURRENT_USER, key, name, &type, buffer, &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return false;
  // A value stored without its terminator may fill the buffer: then it is one too long.
  size_t length = ::wcsnlen(buffer, MAX_PATH);
  if (length == MAX_PATH) return false;
  value.assign(buffer, length);
  return true;
}

}  // namespace stashly
