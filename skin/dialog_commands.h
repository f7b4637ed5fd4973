#pragma once
// The commands of a skinned dialog (WM_COMMAND, the id in the low word of wParam) and how they end
// it. The title bar's close button sends kCloseCommand; a skin's buttons, check boxes and radio
// buttons send the id their "msg" gives them when clicked. Which commands end a dialog, and with
// what result, each dialog class says for itself (CXEasyDialog::Ends); a class that says nothing
// ends as kDefaultDialogEnds lists.
#include <windows.h>

namespace stashly {

// The close button's command is the dialog manager's IDCANCEL, which Esc sends: wherever a dialog
// handles the one, it handles the other.
inline constexpr UINT kCloseCommand = 2;
static_assert(kCloseCommand == IDCANCEL, "the close button and Esc are one command");

// A command that ends a modal dialog, and the result the dialog then returns.
struct DialogEnd {
  UINT command;
  INT_PTR result;
};

// The ids skins give their buttons by custom, and what a skinned dialog does with them unless
// its class says otherwise: the close button (and Esc) and kSkinCancelButton end it with
// IDCANCEL, kSkinOkButton with IDOK.
inline constexpr UINT kSkinOkButton = 5000;
inline constexpr UINT kSkinCancelButton = 5001;
inline constexpr DialogEnd kDefaultDialogEnds[] = {
    {kCloseCommand, IDCANCEL}, {kSkinCancelButton, IDCANCEL}, {kSkinOkButton, IDOK}};

}  // namespace stashly
