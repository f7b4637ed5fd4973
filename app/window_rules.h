#pragma once
// The main window's small decisions, apart from the platform: when it hides itself, how the
// extension switch is spelled for regsvr32 and PowerShell, and where a list row's icon and text
// go.
#include <string>
#include <string_view>

#include "skin/skin_layout.h"

namespace stashly {

// WM_KILLFOCUS: `focusToOwnControl` when the window taking the focus is a child of the main window.
inline bool HidesOnKillFocus(bool focusToOwnControl, bool subDialogOpen, bool autoHide) {
  return !focusToOwnControl && !subDialogOpen && autoHide;
}

// WM_ACTIVATE: `state` is the low word of wParam (0 inactive, 1 active, 2 click-active).
inline bool HidesOnActivate(bool activatedIsOwnControl, unsigned state, bool subDialogOpen,
                            bool autoHide) {
  return !activatedIsOwnControl && state == 0 && !subDialogOpen && autoHide;
}

// The parameters of "regsvr32": always silent, for this user only (the extension's DllInstall
// with "user" writes under HKEY_CURRENT_USER\Software\Classes), the path always between double
// quotes.
inline std::wstring Regsvr32Parameters(std::wstring_view dllPath, bool registerIt) {
  std::wstring parameters = registerIt ? L"/s /n /i:user \"" : L"/s /u /n /i:user \"";
  parameters += dllPath;
  parameters += L'"';
  return parameters;
}

// The first-level Explorer entries of Windows 11 come from a package, which PowerShell registers
// for the user (no elevation) with the install folder as its external location.
inline constexpr wchar_t kExplorerPackageName[] = L"Norvane.Stashly";

// `text` as a PowerShell literal: between single quotes, every quote doubled. PowerShell takes
// the typographic single quotes for quotes too, so a name holding one must not end the literal.
inline std::wstring PowerShellLiteral(std::wstring_view text) {
  std::wstring literal = L"'";
  for (wchar_t c : text) {
    if (c == L'\'' || (c >= L'\x2018' && c <= L'\x201B')) literal += c;
    literal += c;
  }
  return literal + L"'";
}

// The parameters of "powershell" that remove this user's package and then, to register, add it
// again: Windows refuses a version that is already registered, and a surrogate still serving the
// old one is shut down rather than let it block. Its exit code says whether it all worked.
inline std::wstring PackageSwitchParameters(bool registerIt, std::wstring_view package,
                                            std::wstring_view folder) {
  std::wstring script = L"Get-AppxPackage -Name " + PowerShellLiteral(kExplorerPackageName) +
                        L" | Remove-AppxPackage -ErrorAction Stop";
  if (registerIt)
    script += L"; Add-AppxPackage -ErrorAction Stop -ForceApplicationShutdown -Path " +
              PowerShellLiteral(package) + L" -ExternalLocation " + PowerShellLiteral(folder);
  return L"-NoProfile -NonInteractive -ExecutionPolicy Bypass -Command \"" + script + L"\"";
}

struct RowBox {
  int left, top, right, bottom;
};

struct RowLayout {
  RowBox fill;   // the background: the row less its bottom grid line
  int iconLeft;  // where the icon (iconSize square) goes, when there is one
  int iconTop;
  RowBox text;  // where the text is drawn
};

// Column 0 of an owner-drawn row: `item` is the item rectangle, `column` the column's bounds in
// the row (LVIR_BOUNDS), `columnWidth` the width of column 0. `iconSize` is the small icon's
// size at the list's `dpi`; the margins (5 before the icon, 25 with check boxes, 5 after it) are
// 96-DPI figures.
inline RowLayout LayOutFirstColumn(RowBox item, RowBox column, int columnWidth, bool checkBoxes,
                                   bool hasIcon, int iconSize = 16, unsigned dpi = kBaseDpi) {
  RowLayout layout{};
  layout.fill = {item.left, item.top, item.right, item.bottom - 1};
  RowBox text = column;
  text.right = text.left + columnWidth;
  text.left += ScaleToDpi(checkBoxes ? 25 : 5, dpi);
  layout.iconLeft = text.left;
  layout.iconTop = text.top + (text.bottom - text.top - iconSize) / 2;
  if (hasIcon) text.left += iconSize + ScaleToDpi(5, dpi);
  layout.text = text;
  return layout;
}

}  // namespace stashly
