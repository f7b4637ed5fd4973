#pragma once
// Command and control ids of the program's windows. The skins (config\*.xml) give their controls
// these ids; the code knows the controls only by them. The close button's command, and what the
// skinned dialog does with a command when a window does not say, are in skin/dialog_commands.h;
// each window here says which of its commands end it.
#include <windows.h>

namespace stashly {

// Main window (config\main.xml), modeless: none of its commands ends it as a dialog. IDOK exits
// with code 1, IDCANCEL (the close button, Esc) runs the close logic.
enum : UINT {
  ID_ADD_FOLDER = 5000,
  ID_DELETE_SELECTED = 5001,
  ID_SETTINGS = 5002,
  // The list's keys (Alt+Up, Alt+Down) as commands, which a skin's buttons may send as well.
  ID_MOVE_SELECTED_UP = 5010,
  ID_MOVE_SELECTED_DOWN = 5011,
};

// The settings and the close confirmation dialog (config\set.xml, config\close.xml) share their
// buttons: confirm and cancel (app/confirm_dlg.h).
enum : int { ID_CANCEL_BUTTON = 5000, ID_CONFIRM_BUTTON = 5001 };

// The settings dialog's switches.
enum : int {
  ID_SET_STARTUP = 6000,
  ID_SET_AUTOHIDE = 6001,
  ID_SET_RIGHTMENU = 6002,
  ID_SET_JUMPINPLACE = 6003,
};

// The close confirmation's "remember" box and its choice: every radio button of the group other
// than ID_CLOSE_EXIT means "hide".
enum : int { ID_CLOSE_REMEMBER = 6000, ID_CLOSE_EXIT = 7001 };
inline constexpr int kCloseChoiceGroup = 1;

}  // namespace stashly
