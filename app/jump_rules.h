#pragma once
// Opening a favourite in place, apart from the platform: which windows can take one, what is
// done with each kind of entry, and a file's path split into its folder and its name.
#include <string>
#include <string_view>
#include <utility>

namespace stashly {

// The window the user came from.
enum class JumpWindow {
  kNone,        // anything else: the ordinary open
  kFileDialog,  // a common Open or Save dialog (the old Explorer-style one or the newer one)
  kExplorer,    // an Explorer window
};

// `className` of a top-level window; whether it has a file dialog's file-name box (the combo box
// 1148 with its edit, or the edit 1152) and a folder view among its descendants.
inline JumpWindow KindOfWindow(std::wstring_view className, bool hasNameBox, bool hasFolderView) {
  if (className == L"#32770" && hasNameBox && hasFolderView) return JumpWindow::kFileDialog;
  if (className == L"CabinetWClass") return JumpWindow::kExplorer;
  return JumpWindow::kNone;
}

enum class JumpAction {
  kOrdinary,          // the shell's "open", as without a window to go to
  kDialogToFolder,    // the dialog shows the folder; the name the user typed stays
  kDialogToFile,      // the dialog shows the file's folder with its name in the box, unconfirmed
  kExplorerToFolder,  // the Explorer window shows the folder
  kExplorerToFile,    // the Explorer window shows the file's folder with the file selected
};

// What opening an entry does. `isFolder`/`exists`: the entry as the file system has it now.
inline JumpAction ChooseJump(JumpWindow window, bool exists, bool isFolder, bool switchOn) {
  if (!switchOn || !exists) return JumpAction::kOrdinary;
  switch (window) {
    case JumpWindow::kFileDialog:
      return isFolder ? JumpAction::kDialogToFolder : JumpAction::kDialogToFile;
    case JumpWindow::kExplorer:
      return isFolder ? JumpAction::kExplorerToFolder : JumpAction::kExplorerToFile;
    case JumpWindow::kNone:
      break;
  }
  return JumpAction::kOrdinary;
}

// "C:\a\b.txt" -> {"C:\a", "b.txt"}; a file at a drive's root keeps the root's backslash
// ("C:\b.txt" -> {"C:\", "b.txt"}), one on a share's root keeps the share ("\\s\share\f" ->
// {"\\s\share", "f"}). A path without a separator has no folder.
inline std::pair<std::wstring, std::wstring> SplitFilePath(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring_view::npos) return {std::wstring(), std::wstring(path)};
  std::wstring folder(path.substr(0, slash));
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return {folder, std::wstring(path.substr(slash + 1))};
}

}  // namespace stashly
