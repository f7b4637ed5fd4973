#pragma once
// The display scale of the programs a test starts. Wine takes a program's DPI from the user's
// LogPixels value as the program starts (programs already running keep theirs), so a test sets it,
// starts what it looks at, and the value that was there before comes back at the end.
#include <windows.h>

#include <optional>

#include "win/unique_any.h"

namespace stashly::testing {

class DisplayScale {
 public:
  explicit DisplayScale(DWORD dpi) {
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          nullptr, key_.put(), nullptr) != ERROR_SUCCESS)
      return;
    DWORD value = 0, size = sizeof value, type = 0;
    if (::RegQueryValueExW(key_.get(), kValue, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) == ERROR_SUCCESS &&
        type == REG_DWORD)
      before_ = value;
    ::RegSetValueExW(key_.get(), kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                     sizeof dpi);
  }
  ~DisplayScale() {
    if (!key_) return;
    if (before_)
      ::RegSetValueExW(key_.get(), kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*before_),
                       sizeof *before_);
    else
      ::RegDeleteValueW(key_.get(), kValue);
  }
  DisplayScale(const DisplayScale&) = delete;
  DisplayScale& operator=(const DisplayScale&) = delete;

 private:
  static constexpr wchar_t kKey[] = L"Control Panel\\Desktop";
  static constexpr wchar_t kValue[] = L"LogPixels";
  win::UniqueHkey key_;
  std::optional<DWORD> before_;
};

}  // namespace stashly::testing
