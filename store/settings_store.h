#pragma once
// The settings: named values under HKEY_CURRENT_USER\Software\norvane\stashly, read at the
// moment they are needed and written one at a time. Nothing caches them.
#include <windows.h>

#include <string>

namespace stashly {

inline constexpr wchar_t kSettingsKey[] = L"Software\\norvane\\stashly";
// The Explorer extension spells the same key this way (key names ignore case).
inline constexpr wchar_t kExtensionSettingsKey[] = L"Software\\norvane\\Stashly";

inline constexpr wchar_t kAutoHideValue[] = L"autohide";
inline constexpr wchar_t kExitWhenCloseValue[] = L"exit_when_close";
inline constexpr wchar_t kRightMenuValue[] = L"rightmenu";
// 1: a favourite opened while a file dialog or an Explorer window was in front goes there.
inline constexpr wchar_t kJumpInPlaceValue[] = L"jumpinplace";
inline constexpr wchar_t kInstallPathValue[] = L"installpath";
// 1 when the setup registered the Explorer entries as a package (Windows 11): the settings
// switch then registers or removes the package instead of the classic extension.
inline constexpr wchar_t kExplorerPackageValue[] = L"explorerpackage";
// The once-per-start usage report: 0 switches it off; missing or anything else means on.
inline constexpr wchar_t kUsageReportValue[] = L"usagereport";

// A REG_DWORD of exactly four bytes; any other type or size counts as missing.
bool ReadSettingDword(const wchar_t* name, DWORD& value);
// Creates the key and value as needed; a failure is ignored.
void WriteSettingDword(const wchar_t* name, DWORD value);
// "autohide", "rightmenu" and "jumpinplace": a missing value reads as 1 and is written back as 1.
DWORD ReadSettingDwordWithDefault(const wchar_t* name);
// A REG_SZ that fits 260 characters with its terminator; false when missing or longer.
bool ReadSettingString(const wchar_t* key, const wchar_t* name, std::wstring& value);

}  // namespace stashly
