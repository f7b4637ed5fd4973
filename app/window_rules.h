#pragma once
// The main window's small decisions, apart from the platform: when it hides itself, how the
// extension switch is spelled for regsvr32, and where a list row's icon and text go.
#include <string>
#include <string_view>

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

// The parameters of "regsvr32": always silent, the path always between double quotes.
inline std::wstring Regsvr32Parameters(std::wstring_view dllPath, bool registerIt) {
  std::wstring parameters = registerIt ? L"/s \"" : L"/s /u \"";
  parameters += dllPath;
  parameters += L'"';
  return parameters;
}

struct RowBox {
  int left, top, right, bottom;
};

struct RowLayout {
  RowBox fill;   // the background: the row less its bottom grid line
  int iconLeft;  // where the 16 x 16 icon goes (when there is one)
  int iconTop;
  RowBox text;  // where the text is drawn
};

// Column 0 of an owner-drawn row: `item` is the item rectangle, `column` the column's bounds in
// the row (LVIR_BOUNDS), `columnWidth` the width of column 0.
inline RowLayout LayOutFirstColumn(RowBox item, RowBox column, int columnWidth, bool checkBoxes,
                                   bool hasIcon) {
  RowLayout layout{};
  layout.fill = {item.left, item.top, item.right, item.bottom - 1};
  RowBox text = column;
  text.right = text.left + columnWidth;
  text.left += checkBoxes ? 25 : 5;
  layout.iconLeft = text.left;
  layout.iconTop = text.top + (text.bottom - text.top - 16) / 2;
  if (hasIcon) text.left += 21;
  layout.text = text;
  return layout;
}

}  // namespace stashly
