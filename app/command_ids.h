#pragma once
// Command and control ids of the program's windows. The skins (config\*.xml) give their
// controls these ids; the code knows the controls only by them.
#include <windows.h>

namespace stashly {

// Main window (config\main.xml). Besides these: IDOK exits with code 1, IDCANCEL (the title
// bar's close button) runs the close logic.
enum : UINT {
  ID_ADD_FOLDER = 5000,
  ID_DELETE_SELECTED = 5001,
  ID_SETTINGS = 5002,
  // The list's keys (Alt+Up, Alt+Down) as commands, which a skin's buttons may send as well.
  ID_MOVE_SELECTED_UP = 5010,
  ID_MOVE_SELECTED_DOWN = 5011,
};

// Settings dialog (config\set.xml). IDOK (Enter) is ignored, IDCANCEL cancels.
enum : int {
  ID_SET_CANCEL = 5000,
  ID_SET_APPLY = 5001,
  ID_SET_STARTUP = 6000,
  ID_SET_AUTOHIDE = 6001,
  ID_SET_RIGHTMENU = 6002,
  ID_SET_JUMPINPLACE = 6003,
};

// Close confirmation (config\close.xml). IDCANCEL cancels. Every radio button of the choice
// group other than ID_CLOSE_EXIT means "hide".
enum : int {
  ID_CLOSE_CANCEL = 5000,
  ID_CLOSE_CONFIRM = 5001,
  ID_CLOSE_REMEMBER = 6000,
  ID_CLOSE_EXIT = 7001,
};
inline constexpr int kCloseChoiceGroup = 1;

}  // namespace stashly
