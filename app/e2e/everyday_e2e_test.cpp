// The real Stashly.exe worked as people work it all day: from the keyboard (typed through the
// system's input queue), with files dragged onto it through OLE, with entries whose paths are
// gone, with long paths read off a tip, and with entries moved into a new order.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "store/favorites_file.h"
#include "store/settings_store.h"
#include "testing/drop_data.h"
#include "testing/e2e_screen.h"
#include "testing/e2e_support.h"
#include "win/com_ptr.h"
#include "win/com_server.h"

namespace stashly {
namespace {

using namespace e2e;

// Keys as the keyboard sends them: each one pressed in order, then released in reverse.
void Type(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto key = keys.end(); key != keys.begin();) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *--key;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The window that has the keyboard focus in `main`'s thread.
HWND FocusOf(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &info);
  return info.hwndFocus;
}

// Brings the window to the front with the keyboard on its list, as the hot key leaves it.
bool ReadyForKeys(HWND main) {
  ::SetForegroundWindow(main);
  HWND list = ::GetDlgItem(main, kListViewId);
  const bool ready =
      WaitFor([&] { return ::GetForegroundWindow() == main && FocusOf(main) == list; });
  if (!ready)
    ADD_FAILURE() << "foreground " << ::GetForegroundWindow() << " main " << main << " focus "
                  << FocusOf(main) << " list " << list;
  return ready;
}

std::vector<int> SelectedRows(HWND main) {
  HWND list = ::GetDlgItem(main, kListViewId);
  std::vector<int> rows;
  for (int i = -1;
       (i = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) != -1;)
    rows.push_back(i);
  return rows;
}

std::wstring TempFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + name;
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

class Everyday : public ::testing::Test {
 protected:
  void SetUp() override {
    KillStrays();
    ::OleInitialize(nullptr);
    WriteSettingDword(kAutoHideValue, 0);
  }
  void TearDown() override {
    KillStrays();
    ::OleUninitialize();
  }
  static void SetFile(const std::vector<std::wstring>& rows) {
    ASSERT_TRUE(WriteFavoritesFile(FavoritesFilePath(), rows));
  }
};

TEST_F(Everyday, EnterOpensLikeADoubleClickAndDeleteAndCtrlARemoveWhatIsSelected) {
  const std::wstring folder = TempFolder(L"stashly enter");
  SetFile({L"C:\\no such folder", folder, L"C:\\a", L"C:\\b", L"C:\\c"});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ASSERT_TRUE(ReadyForKeys(main));

  // Enter on a path that is gone: nothing happens.
  SelectRow(main, 0, LVIS_FOCUSED);
  Type({VK_RETURN});
  ::SendMessageW(main, WM_NULL, 0, 0);
  EXPECT_TRUE(::IsWindowVisible(main));

  // Delete takes exactly the selected rows from the file.
  SelectRow(main, 2);
  SelectRow(main, 4);
  Type({VK_DELETE});
  EXPECT_TRUE(WaitFor([] { return FileRows().size() == 3; }));
  EXPECT_EQ(FileRows(), (std::vector<std::wstring>{L"C:\\no such folder", folder, L"C:\\b"}));

  // Ctrl+A selects every row.
  Type({VK_CONTROL, 'A'});
  EXPECT_TRUE(WaitFor([&] { return SelectedRows(main).size() == 3; }));

  // Enter on an existing one hides the window and has the shell open it.
  SelectRow(main, 1, LVIS_FOCUSED);
  Type({VK_RETURN});
  EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }));
  EXPECT_TRUE(CloseWindowsShowing(L"stashly enter"));
  ::RemoveDirectoryW(folder.c_str());
}

TEST_F(Everyday, AltDownTwiceMovesAnEntryTwoPlacesAndTheFileFollows) {
  SetFile({L"C:\\a", L"C:\\b", L"C:\\c", L"C:\\d"});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ASSERT_TRUE(ReadyForKeys(main));
  SelectRow(main, 0);
  Type({VK_MENU, VK_DOWN});
  Type({VK_MENU, VK_DOWN});
  const std::vector<std::wstring> moved{L"C:\\b", L"C:\\c", L"C:\\a", L"C:\\d"};
  EXPECT_TRUE(WaitFor([&] { return FileRows() == moved; })) << FileRows().size();
  EXPECT_EQ(ListRows(main), moved);
  EXPECT_EQ(SelectedRows(main), std::vector<int>{2});
  // Up past the top: it goes as far as it can.
  Type({VK_MENU, VK_UP});
  Type({VK_MENU, VK_UP});
  Type({VK_MENU, VK_UP});
  EXPECT_TRUE(WaitFor([] {
    return FileRows() == std::vector<std::wstring>{L"C:\\a", L"C:\\b", L"C:\\c", L"C:\\d"};
  }));
}

TEST_F(Everyday, TabGoesFromTheListAlongTheButtonsAndEnterClicksTheFocusedOne) {
  SetFile({L"C:\\a"});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ASSERT_TRUE(ReadyForKeys(main));
  HWND list = ::GetDlgItem(main, kListViewId);
  const std::vector<HWND> order{
      ::GetDlgItem(main, ID_ADD_FOLDER), ::GetDlgItem(main, ID_DELETE_SELECTED),
      ::GetDlgItem(main, ID_SETTINGS),   ::GetDlgItem(main, IDOK),
      ::GetDlgItem(main, IDCANCEL),      list};
  for (HWND next : order) {
    Type({VK_TAB});
    EXPECT_TRUE(WaitFor([&] { return FocusOf(main) == next; })) << ::GetDlgCtrlID(next);
  }
  Type({VK_SHIFT, VK_TAB});
  EXPECT_TRUE(WaitFor([&] { return FocusOf(main) == ::GetDlgItem(main, IDCANCEL); }));
  Type({VK_SHIFT, VK_TAB});
  Type({VK_SHIFT, VK_TAB});
  ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == ::GetDlgItem(main, ID_SETTINGS); }));
  Type({VK_RETURN});
  HWND settings = WaitForDialog(L"设置");
  ASSERT_TRUE(settings);
  ::PostMessageW(settings, WM_COMMAND, ID_CANCEL_BUTTON, 0);
  EXPECT_TRUE(WaitForGone(settings));
}

// A drag as a program makes one: the pointer over the target, a few moves, then the drop.
class DragSource final : public win::ComObject<IDropSource> {
 public:
  STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return ++moves_ < 5 ? S_OK : DRAGDROP_S_DROP;
  }
  STDMETHODIMP GiveFeedback(DWORD effect) override {
    shown_ = effect;
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }
  DWORD shown() const { return shown_; }

 private:
  int moves_ = 0;
  DWORD shown_ = ~0u;
};

// Drags `drop` (a DROPFILES block, or nothing) onto the middle of the main window's list; the
// effect the window showed during the drag.
DWORD DragOnto(HWND main, std::vector<char> drop) {
  RECT list{};
  ::GetWindowRect(::GetDlgItem(main, kListViewId), &list);
  ::SetCursorPos((list.left + list.right) / 2, (list.top + list.bottom) / 2);
  win::ComPtr<win::testing::DropDataObject> data;
  data.Attach(new win::testing::DropDataObject(std::move(drop)));
  data->AddRef();
  win::ComPtr<DragSource> source;
  source.Attach(new DragSource);
  source->AddRef();
  DWORD effect = DROPEFFECT_NONE;
  ::DoDragDrop(data.get(), source.get(), DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK,
               &effect);
  return source->shown();
}

TEST_F(Everyday, DroppedFilesAreAddedAtTheEndInOrderAndOtherDataIsRefused) {
  SetFile({L"C:\\kept"});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  const std::vector<std::wstring> dropped{L"C:\\dropped\\one.txt", L"D:\\资料\\报告 & 计划.docx",
                                          L"C:\\dropped\\folder"};
  EXPECT_EQ(DragOnto(main, win::testing::DropFiles(dropped)), DWORD{DROPEFFECT_COPY});
  std::vector<std::wstring> expected{L"C:\\kept"};
  expected.insert(expected.end(), dropped.begin(), dropped.end());
  EXPECT_TRUE(WaitFor([&] { return ListRows(main) == expected; })) << ListRows(main).size();
  EXPECT_EQ(FileRows(), expected);

  // Something without file names: the no-drop cursor, and nothing changes.
  EXPECT_EQ(DragOnto(main, {}), DWORD{DROPEFFECT_NONE});
  ::SendMessageW(main, WM_NULL, 0, 0);
  EXPECT_EQ(FileRows(), expected);
}

// The tooltip window of the program's list that is showing, if any.
HWND VisibleTip(HWND main) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(main, &pid);
  for (HWND w = ::FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w;
       w = ::FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    if (owner == pid && ::IsWindowVisible(w)) return w;
  }
  return nullptr;
}

std::wstring TipText(HWND tip) {
  wchar_t text[1024] = {};
  ::SendMessageW(tip, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

// The darkest pixel of a row's text area: near black for normal text, grey for a missing path.
int DarkestIn(const Screenshot& shot, const RECT& row) {
  int darkest = 255;
  for (int x = row.left + 26; x < row.left + 200; ++x)
    for (int y = row.top + 5; y < row.bottom - 5; ++y) {
      const COLORREF c = shot.At(POINT{x, y});
      if (c == CLR_INVALID) continue;
      darkest = std::min(darkest, int(GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
    }
  return darkest;
}

TEST_F(Everyday, AMissingEntryIsDimmedAndACutRowShowsItsWholePathOnHover) {
  const std::wstring longPath =
      L"C:\\windows\\a folder with a long name\\and another one below it\\"
      L"and yet another one\\so that the row cannot hold it\\report.txt";
  SetFile({L"C:\\windows", L"C:\\gone\\since last week.txt", longPath, L"C:\\windows\\win.ini"});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  HWND list = ::GetDlgItem(main, kListViewId);
  ::CoInitialize(nullptr);

  // The existence checks run in the background: wait for the missing row to turn grey.
  int present = 0, missing = 0;
  WaitFor([&] {
    ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Screenshot shot(main);
    present = DarkestIn(shot, RowRect(list, 0));
    missing = DarkestIn(shot, RowRect(list, 1));
    return missing > 100;
  });
  EXPECT_LT(present, 80) << "an existing path is drawn in black";
  EXPECT_GT(missing, 100) << "a missing path is drawn dimmed";
  EXPECT_LT(missing, 200) << "and still readable";
  EXPECT_EQ(ListRows(main).size(), 4u) << "it keeps its place";

  // Hovering over a row whose text is cut shows the whole path; a row that fits shows none.
  const RECT cut = RowRect(list, 2);
  ::SetCursorPos(cut.left + 100, (cut.top + cut.bottom) / 2);
  HWND tip = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (tip = VisibleTip(main)) != nullptr; }));
  if (tip) {
    EXPECT_EQ(TipText(tip), longPath);
  }
  ::Sleep(300);
  Screenshot shot(main);
  EXPECT_TRUE(shot.SavePng(ArtefactPath(L"missing_entry_and_tip.png")));

  const RECT fits = RowRect(list, 3);
  ::SetCursorPos(fits.left + 100, (fits.top + fits.bottom) / 2);
  EXPECT_TRUE(WaitFor([&] { return VisibleTip(main) == nullptr; }));
  ::Sleep(::GetDoubleClickTime() * 2);
  EXPECT_EQ(VisibleTip(main), nullptr);
  ::CoUninitialize();
}

}  // namespace
}  // namespace stashly
