#include "app/jump_rules.h"

#include <gtest/gtest.h>

namespace stashly {
namespace {

TEST(JumpRules, OnlyAFileDialogOrAnExplorerWindowTakesAFavouriteInPlace) {
  using enum JumpWindow;
  const struct {
    const wchar_t* className;
    bool nameBox, folderView;
    JumpWindow kind;
  } windows[] = {
      {L"#32770", true, true, kFileDialog},
      {L"#32770", true, false, kNone},   // a dialog with an edit 1152 of its own
      {L"#32770", false, true, kNone},   // a folder browser
      {L"CabinetWClass", false, false, kExplorer},
      {L"ExplorerWClass", false, true, kNone},  // not found among the shell's windows
      {L"Notepad", true, true, kNone},
  };
  for (const auto& w : windows)
    EXPECT_EQ(KindOfWindow(w.className, w.nameBox, w.folderView), w.kind) << w.className;

  using enum JumpAction;
  const struct {
    JumpWindow window;
    bool exists, isFolder, switchOn;
    JumpAction action;
  } cases[] = {
      {kFileDialog, true, true, true, kDialogToFolder},
      {kFileDialog, true, false, true, kDialogToFile},
      {kExplorer, true, true, true, kExplorerToFolder},
      {kExplorer, true, false, true, kExplorerToFile},
      {kFileDialog, false, true, true, kOrdinary},  // missing entry
      {kExplorer, true, true, false, kOrdinary},    // switch off
      {kNone, true, true, true, kOrdinary},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseJump(c.window, c.exists, c.isFolder, c.switchOn), c.action)
        << static_cast<int>(c.window) << c.exists << c.isFolder << c.switchOn;
}

TEST(JumpRules, AFilesPathSplitsIntoAFolderToGoToAndAName) {
  const struct {
    const wchar_t *path, *folder, *name;
  } cases[] = {
      {LR"(C:\a\b.txt)", LR"(C:\a)", L"b.txt"},
      {LR"(C:\b.txt)", LR"(C:\)", L"b.txt"},
      {LR"(\\server\share\f)", LR"(\\server\share)", L"f"},
      {LR"(D:\文件\报告 (1).docx)", LR"(D:\文件)", L"报告 (1).docx"},
      {L"plain", L"", L"plain"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitFilePath(c.path), std::make_pair(std::wstring(c.folder), std::wstring(c.name)));
}

}  // namespace
}  // namespace stashly
