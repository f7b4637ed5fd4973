// Drives the real Stashly.exe from a separate process: starts it, finds its window by title,
// reads its list view across the process boundary and checks exit codes, the favourites file
// and the registry. Every test starts from its own favourites file and settings and never leaves
// the program running.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "store/favorites_file.h"
#include "store/settings_store.h"
#include "testing/e2e_screen.h"
#include "testing/file_bytes.h"
#include "testing/powershell_probe.h"
#include "testing/e2e_support.h"
#include "win/com_ptr.h"
#include "win/gdi.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

using namespace e2e;

constexpr COLORREF kSelectedBlue = RGB(51, 153, 255);
constexpr COLORREF kGridLine = RGB(236, 233, 216);

bool ReadsSetting(const wchar_t* name, DWORD expected) {
  DWORD value = 0;
  return ReadSettingDword(name, value) && value == expected;
}

std::wstring StartupShortcutPath() {
  return win::CombinePath(win::SpecialFolderPath(CSIDL_STARTUP), L"Stashly.lnk");
}

std::wstring ProbeLogPath() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"stashly_regsvr_probe.txt";
}

std::string ReadProbeLog() {
  std::string text;
  win::UniqueFile file(::CreateFileW(ProbeLogPath().c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
  if (!file) return text;
  char buffer[256];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read)
    text.append(buffer, read);
  return text;
}

void DeleteSetting(const wchar_t* name) {
  ::SHDeleteValueW(HKEY_CURRENT_USER, kSettingsKey, name);
}

class E2e : public ::testing::Test {
 protected:
  void SetUp() override {
    KillStrays();
    DeleteSetting(kExitWhenCloseValue);
    DeleteSetting(kRightMenuValue);
    DeleteSetting(kJumpInPlaceValue);
    // Most tests keep the window up while the driver works; the auto-hide tests turn it on.
    WriteSettingDword(kAutoHideValue, 0);
    ASSERT_TRUE(WriteFavoritesFile(FavoritesFilePath(), RecordList()));
  }
  void TearDown() override { KillStrays(); }

  static void SetFile(const std::vector<std::wstring>& rows) {
    ASSERT_TRUE(WriteFavoritesFile(FavoritesFilePath(), rows));
  }
};

TEST_F(E2e, ListShowsTheFileRowForRowWithAmpersandAndCjk) {
  std::vector<std::wstring> rows = {LR"(C:\windows)", LR"(C:\Tom & Jerry\notes.txt)",
                                    LR"(C:\文档\报告.docx)", L"  "};
  SetFile(rows);
  Program program;
  ASSERT_TRUE(program.started());
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  EXPECT_EQ(ListRows(main), rows);
  wchar_t title[64] = {};
  ::GetWindowTextW(main, title, 64);
  EXPECT_STREQ(title, kMainWindowTitle);
}

TEST_F(E2e, ListHoldsAThousandEntriesInFileOrder) {
  std::vector<std::wstring> rows;
  for (int i = 0; i < 1000; ++i) rows.push_back(L"C:\\data\\file" + std::to_wstring(i) + L".txt");
  SetFile(rows);
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  EXPECT_EQ(ListRows(main), rows);
}

TEST_F(E2e, FirstStartWritesAutoHideWhenMissing) {
  DeleteSetting(kAutoHideValue);
  Program program;
  ASSERT_TRUE(program.WaitForWindow());
  DWORD value = 0;
  EXPECT_TRUE(ReadSettingDword(kAutoHideValue, value));
  EXPECT_EQ(value, 1u);
}

TEST_F(E2e, SecondStartShowsTheHiddenWindowAndEndsWithZero) {
  Program first;
  HWND main = first.WaitForWindow();
  ASSERT_TRUE(main);
  ::ShowWindow(main, SW_HIDE);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }));
  Program second;
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE; }));
  EXPECT_EQ(WindowsTitled(kMainWindowTitle).size(), 1u);
}

TEST_F(E2e, SecondStartRestoresAMinimisedWindow) {
  Program first;
  HWND main = first.WaitForWindow();
  ASSERT_TRUE(main);
  ::ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(WaitFor([&] { return ::IsIconic(main) != FALSE; }));
  Program second;
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_TRUE(WaitFor([&] { return !::IsIconic(main) && ::IsWindowVisible(main); }));
}

TEST_F(E2e, CopyDataReloadsOnlyForTheFavouritesNotice) {
  SetFile({L"C:\\one"});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  SetFile({L"C:\\one", L"C:\\two"});

  COPYDATASTRUCT other{2, 0, nullptr};
  ::SendMessageW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&other));
  ::SendMessageW(main, WM_COPYDATA, 0, 0);
  EXPECT_EQ(ListRows(main), std::vector<std::wstring>{L"C:\\one"});

  NotifyFavoritesChanged();
  EXPECT_EQ(ListRows(main), (std::vector<std::wstring>{L"C:\\one", L"C:\\two"}));
}

TEST_F(E2e, DeletingRowsOneAndThreeOfFiveKeepsTheOthersInOrderAndWhole) {
  // A record far longer than a list-view item's text survives the delete and save whole.
  const std::wstring longPath = L"C:\\" + std::wstring(40000, L'r');
  std::vector<std::wstring> rows = {L"C:\\r0", L"C:\\r1", longPath, L"C:\\r3", L"C:\\r4"};
  SetFile(rows);
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  SelectRow(main, 1);
  SelectRow(main, 3);
  ::SendMessageW(main, WM_COMMAND, ID_DELETE_SELECTED, 0);
  std::vector<std::wstring> kept = {L"C:\\r0", longPath, L"C:\\r4"};
  EXPECT_EQ(FileRows(), kept);
  std::vector<std::wstring> shown = ListRows(main);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], kept[0]);
  EXPECT_EQ(shown[2], kept[2]);
}

TEST_F(E2e, DeletingWithNothingSelectedKeepsEveryRow) {
  std::vector<std::wstring> rows = {L"C:\\a", L"C:\\a", L"C:\\b"};
  SetFile(rows);
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ::SendMessageW(main, WM_COMMAND, ID_DELETE_SELECTED, 0);
  EXPECT_EQ(ListRows(main), rows);
  EXPECT_EQ(FileRows(), rows);
}

// A file another program holds while the program loads it: the list keeps what it had (nothing,
// at the start), the user is told once, and the next save does not replace the file with it.
TEST_F(E2e, AFileLockedAtLoadIsToldOnceAndNotOverwrittenByTheNextSave) {
  std::vector<std::wstring> rows = {L"C:\\kept one", L"C:\\kept two"};
  SetFile(rows);
  Program program;
  HWND main = nullptr;
  HWND box = nullptr;
  {
    win::UniqueFile lock(::CreateFileW(FavoritesFilePath().c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    main = program.WaitForWindow();
    ASSERT_TRUE(main);
    EXPECT_TRUE(ListRows(main).empty());
    box = WaitForDialog(L"收藏夹文件");
    ASSERT_TRUE(box);
    NotifyFavoritesChanged();  // still held: nothing new to say
  }
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitForGone(box));
  ::Sleep(300);
  EXPECT_EQ(WindowsTitled(L"收藏夹文件").size(), 0u) << "told once";
  // A delete saves and reloads: the save must not replace the file with the empty list.
  ::SendMessageW(main, WM_COMMAND, ID_DELETE_SELECTED, 0);
  EXPECT_EQ(FileRows(), rows);
  EXPECT_EQ(ListRows(main), rows);
}

// Another window with the program's title (an Explorer window of a folder so named) is neither
// taken for the running program by a start nor sent its change notice.
TEST_F(E2e, AWindowOfAnotherProgramWithTheTitleIsNotTakenForIt) {
  win::UniqueWindow namesake(::CreateWindowExW(0, L"STATIC", kMainWindowTitle, WS_POPUP, 0, 0, 10,
                                               10, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(namesake);
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  SetFile({L"C:\\added"});
  NotifyFavoritesChanged();
  EXPECT_EQ(ListRows(main), std::vector<std::wstring>{L"C:\\added"});
}

// A notice that arrives between selecting rows and Delete (a record added at the top elsewhere)
// keeps the same records selected; a change whose notice went astray while the window was away
// is shown when the window comes back.
TEST_F(E2e, TheSelectionFollowsItsRecordsAndAShowReadsWhatANoticeMissed) {
  SetFile({L"C:\\a", L"C:\\b", L"C:\\c"});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  SelectRow(main, 1);
  SetFile({L"C:\\new", L"C:\\a", L"C:\\b", L"C:\\c"});
  NotifyFavoritesChanged();
  HWND list = ::GetDlgItem(main, kListViewId);
  EXPECT_EQ(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  ::SendMessageW(main, WM_COMMAND, ID_DELETE_SELECTED, 0);
  EXPECT_EQ(FileRows(), (std::vector<std::wstring>{L"C:\\new", L"C:\\a", L"C:\\c"}));

  ::ShowWindow(main, SW_HIDE);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }));
  SetFile({L"C:\\written while away"});
  Program second;
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_TRUE(WaitFor([&] {
    return ::IsWindowVisible(main) &&
           ListRows(main) == std::vector<std::wstring>{L"C:\\written while away"};
  }));
}

// A file that does not read back as itself (a NUL byte in it) is kept beside the list before the
// program first rewrites it, and the window says where.
TEST_F(E2e, ADamagedFileIsKeptAsideBeforeADeleteAndTheWindowSaysWhere) {
  const std::string damaged("C:\\a\0x\r\nC:\\b\r\n", 13);
  win::testing::WriteFileBytes(FavoritesFilePath(), damaged);
  const std::wstring copy = DamagedCopyPath(FavoritesFilePath());
  ::DeleteFileW(copy.c_str());
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  SelectRow(main, 1);
  ::PostMessageW(main, WM_COMMAND, ID_DELETE_SELECTED, 0);
  HWND box = WaitForDialog(L"收藏夹文件");
  ASSERT_TRUE(box);
  wchar_t text[1024] = {};
  ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
  EXPECT_NE(std::wstring(text).find(copy), std::wstring::npos);
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(win::testing::FileBytes(copy), damaged);
  EXPECT_EQ(FileRows(), std::vector<std::wstring>{L"C:\\ax"});
}

// A delete that cannot be written (another program holds the file and shares it with nobody)
// is told to the user once, changes nothing, and the list shows the file as it is.
TEST_F(E2e, ADeleteThatCannotBeWrittenIsToldOnceAndChangesNothing) {
  std::vector<std::wstring> rows = {L"C:\\one", L"C:\\two"};
  SetFile(rows);
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  SelectRow(main, 0);
  HWND box = nullptr;
  {
    win::UniqueFile held(::CreateFileW(FavoritesFilePath().c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    ::PostMessageW(main, WM_COMMAND, ID_DELETE_SELECTED, 0);
    box = WaitForDialog(L"保存失败");
    ASSERT_TRUE(box);
    EXPECT_TRUE(::IsWindowVisible(main)) << "the window stays while it asks";
  }
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitForGone(box));
  ::Sleep(300);
  EXPECT_EQ(WindowsTitled(L"保存失败").size(), 0u) << "told once";
  EXPECT_EQ(FileRows(), rows);
  EXPECT_EQ(ListRows(main), rows);
}

TEST_F(E2e, CommandOneExitsWithCodeOne) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ::PostMessageW(main, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program.WaitForExit(), 1);
  EXPECT_TRUE(WindowsTitled(kMainWindowTitle).empty());
}

TEST_F(E2e, CloseWithExitRememberedExitsWithCodeTwo) {
  WriteSettingDword(kExitWhenCloseValue, 1);
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ::PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(program.WaitForExit(), 2);
}

TEST_F(E2e, CloseWithHideRememberedHidesOnlyWithAutoHide) {
  WriteSettingDword(kExitWhenCloseValue, 0);
  for (DWORD autoHide : {0u, 1u}) {
    WriteSettingDword(kAutoHideValue, autoHide);
    Program program;
    HWND main = program.WaitForWindow();
    ASSERT_TRUE(main);
    ::PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
    // The hide request is posted in turn: give it time to arrive either way (ample time where
    // it must, on a loaded machine).
    bool hidden = WaitFor([&] { return !::IsWindowVisible(main); }, autoHide ? 10000 : 1500);
    EXPECT_EQ(hidden, autoHide == 1) << autoHide;
    EXPECT_EQ(::WaitForSingleObject(program.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  }
}

TEST_F(E2e, HotKeyIdOneShowsTheWindowAndOtherIdsDoNot) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ::ShowWindow(main, SW_HIDE);
  ::SendMessageW(main, WM_HOTKEY, 2, MAKELPARAM(MOD_ALT | MOD_SHIFT, 0));
  EXPECT_FALSE(::IsWindowVisible(main));
  ::SendMessageW(main, WM_HOTKEY, 1, MAKELPARAM(MOD_ALT | MOD_SHIFT, 0));
  EXPECT_TRUE(::IsWindowVisible(main));
}

TEST_F(E2e, WindowIsAToolWindowWithAlpha240) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  LONG_PTR exStyle = ::GetWindowLongPtrW(main, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(exStyle & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(main, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 240);
  EXPECT_TRUE(flags & LWA_ALPHA);
  // The list fills the client area less its margins: 1 left, 50 top, 2 right, 51 bottom.
  RECT client{}, list{};
  ::GetClientRect(main, &client);
  ::GetWindowRect(::GetDlgItem(main, kListViewId), &list);
  ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&list), 2);
  EXPECT_EQ(list.left, 1);
  EXPECT_EQ(list.top, 50);
  EXPECT_EQ(list.right, client.right - 2);
  EXPECT_EQ(list.bottom, client.bottom - 51);
}

TEST_F(E2e, WithAutoHideOnlyLosingTheActivationToAnotherWindowHides) {
  WriteSettingDword(kAutoHideValue, 1);
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  const auto own = reinterpret_cast<WPARAM>(::GetDlgItem(main, kListViewId));
  const struct {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool hides;
  } cases[] = {
      {WM_KILLFOCUS, own, 0, false},  // the focus moves to its own list
      {WM_ACTIVATE, WA_ACTIVE, 0, false},
      {WM_ACTIVATE, WA_CLICKACTIVE, 0, false},
      {WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(own), false},
      {WM_ACTIVATE, WA_INACTIVE, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.message << " " << c.wParam << " " << c.lParam);
    ::SendMessageW(main, c.message, c.wParam, c.lParam);
    EXPECT_EQ(::IsWindowVisible(main), !c.hides);
    ::ShowWindow(main, SW_SHOW);
  }
}

// A real change of the active window, not sent messages: another program's window comes to the
// front.
TEST_F(E2e, AnotherWindowTakingTheForegroundHidesOnlyWithAutoHide) {
  for (DWORD autoHide : {0u, 1u}) {
    SCOPED_TRACE(autoHide);
    WriteSettingDword(kAutoHideValue, autoHide);
    Program program;
    HWND main = program.WaitForWindow();
    ASSERT_TRUE(main);
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == main; }));
    win::UniqueWindow other(::CreateWindowExW(0, L"STATIC", L"another program",
                                              WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                              nullptr, nullptr, nullptr));
    ASSERT_TRUE(other);
    ::SetForegroundWindow(other.get());
    ASSERT_TRUE(WaitFor([&] {
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
      return ::GetForegroundWindow() == other.get();
    }));
    if (autoHide) {
      EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }));
    } else {
      ::SendMessageW(main, WM_NULL, 0, 0);
      EXPECT_TRUE(::IsWindowVisible(main));
    }
  }
}

TEST_F(E2e, DoubleClickOnAMissingPathDoesNothing) {
  SetFile({L"C:\\no such folder\\anywhere"});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  HWND list = ::GetDlgItem(main, kListViewId);
  RECT rect{};
  ::GetClientRect(list, &rect);
  // Row 0 of a 30-pixel row height.
  LPARAM point = MAKELPARAM(100, 15);
  ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  ::SendMessageW(list, WM_LBUTTONUP, 0, point);
  ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  ::SendMessageW(list, WM_LBUTTONUP, 0, point);
  ::SendMessageW(main, WM_NULL, 0, 0);
  EXPECT_TRUE(::IsWindowVisible(main));
  EXPECT_EQ(ListRows(main).size(), 1u);
}

TEST_F(E2e, DoubleClickOnAnExistingPathHidesTheWindow) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"stashly e2e open";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  SetFile({folder});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  HWND list = ::GetDlgItem(main, kListViewId);
  LPARAM point = MAKELPARAM(100, 15);
  ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  ::SendMessageW(list, WM_LBUTTONUP, 0, point);
  ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  ::SendMessageW(list, WM_LBUTTONUP, 0, point);
  EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }));
  // The shell opened the folder in a file manager window of its own; close it again.
  CloseWindowsShowing(L"stashly e2e open", 5000);
  ::RemoveDirectoryW(folder.c_str());
}

TEST_F(E2e, CloseDialogRemembersExitAndEndsWithCodeTwo) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ::PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
  HWND dialog = WaitForDialog(L"关闭提示");
  ASSERT_TRUE(dialog);
  Click(dialog, ID_CLOSE_EXIT);
  Click(dialog, ID_CLOSE_REMEMBER);
  ::SendMessageW(dialog, WM_NULL, 0, 0);
  Click(dialog, ID_CONFIRM_BUTTON);
  EXPECT_EQ(program.WaitForExit(), 2);
  EXPECT_TRUE(ReadsSetting(kExitWhenCloseValue, 1));
}

TEST_F(E2e, CloseDialogCancelWritesNothingAndAsksAgain) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  for (int id : {int(ID_CANCEL_BUTTON), IDCANCEL}) {
    ::PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
    HWND dialog = WaitForDialog(L"关闭提示");
    ASSERT_TRUE(dialog) << id;
    ::PostMessageW(dialog, WM_COMMAND, id, 0);
    EXPECT_TRUE(WaitForGone(dialog)) << id;
    EXPECT_TRUE(::IsWindowVisible(main)) << id;
  }
  DWORD value = 0;
  EXPECT_FALSE(ReadSettingDword(kExitWhenCloseValue, value));
}

TEST_F(E2e, CloseDialogHideWithoutRememberKeepsAskingAndHidesWithAutoHide) {
  WriteSettingDword(kAutoHideValue, 1);
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ::PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
  HWND dialog = WaitForDialog(L"关闭提示");
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(::IsWindowVisible(main));  // a sub-dialog open keeps the window up
  Click(dialog, ID_CONFIRM_BUTTON);      // the skin's default radio: hide
  EXPECT_TRUE(WaitForGone(dialog));
  EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }));
  DWORD value = 0;
  EXPECT_FALSE(ReadSettingDword(kExitWhenCloseValue, value));
  EXPECT_EQ(::WaitForSingleObject(program.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

class SettingsE2e : public E2e {
 protected:
  void SetUp() override {
    E2e::SetUp();
    ::DeleteFileW(StartupShortcutPath().c_str());
    ::DeleteFileW(ProbeLogPath().c_str());
  }
  void TearDown() override {
    ::DeleteFileW(StartupShortcutPath().c_str());
    E2e::TearDown();
  }
};

TEST_F(SettingsE2e, OpeningCreatesRightMenuAndOkWithoutChangesDoesNothing) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  HWND dialog = OpenSettings(main);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(ReadsSetting(kRightMenuValue, 1));
  EXPECT_TRUE(ReadsSetting(kJumpInPlaceValue, 1));
  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);  // Enter does not close it
  ::Sleep(300);
  EXPECT_TRUE(::IsWindow(dialog));
  Click(dialog, ID_CONFIRM_BUTTON);
  EXPECT_TRUE(WaitForGone(dialog));
  ::Sleep(1000);
  EXPECT_EQ(ReadProbeLog(), "");
  EXPECT_FALSE(::PathFileExistsW(StartupShortcutPath().c_str()));
  EXPECT_TRUE(ReadsSetting(kAutoHideValue, 0));
}

TEST_F(SettingsE2e, ComparesRawValuesSoAnUntouchedOddValueIsNotRewritten) {
  WriteSettingDword(kRightMenuValue, 5);
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  HWND dialog = OpenSettings(main);
  ASSERT_TRUE(dialog);
  Click(dialog, ID_CONFIRM_BUTTON);
  EXPECT_TRUE(WaitForGone(dialog));
  EXPECT_TRUE(ReadsSetting(kRightMenuValue, 5));
}

TEST_F(SettingsE2e, StartupBoxCreatesAndDeletesTheShortcut) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  std::wstring shortcut = StartupShortcutPath();
  ASSERT_FALSE(shortcut.empty());
  HWND dialog = OpenSettings(main);
  ASSERT_TRUE(dialog);
  Click(dialog, ID_SET_STARTUP);
  Click(dialog, ID_CONFIRM_BUTTON);
  EXPECT_TRUE(WaitForGone(dialog));
  EXPECT_TRUE(::PathFileExistsW(shortcut.c_str()));

  dialog = OpenSettings(main);
  ASSERT_TRUE(dialog);
  Click(dialog, ID_SET_STARTUP);
  Click(dialog, ID_CONFIRM_BUTTON);
  EXPECT_TRUE(WaitForGone(dialog));
  EXPECT_FALSE(::PathFileExistsW(shortcut.c_str()));
}

TEST_F(SettingsE2e, AutoHideBoxWritesTheValueAndTheWindowFollowsIt) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  HWND dialog = OpenSettings(main);
  ASSERT_TRUE(dialog);
  Click(dialog, ID_SET_AUTOHIDE);
  Click(dialog, ID_CONFIRM_BUTTON);
  EXPECT_TRUE(WaitForGone(dialog));
  EXPECT_TRUE(ReadsSetting(kAutoHideValue, 1));
  ::SendMessageW(main, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_FALSE(::IsWindowVisible(main));
}

// The fourth switch, opening in place: off and on again, each time shown as it was stored.
TEST_F(SettingsE2e, JumpInPlaceBoxWritesTheValueBothWays) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  for (DWORD expected : {0u, 1u}) {
    HWND dialog = OpenSettings(main);
    ASSERT_TRUE(dialog);
    Click(dialog, ID_SET_JUMPINPLACE);
    Click(dialog, ID_CONFIRM_BUTTON);
    EXPECT_TRUE(WaitForGone(dialog));
    EXPECT_TRUE(ReadsSetting(kJumpInPlaceValue, expected));
  }
}

// The 64-bit regsvr32 calls the extension's DllInstall with "user": registered for this user.
TEST_F(SettingsE2e, ExtensionSwitchRunsRegsvr32PerUserBothWays) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  HWND dialog = OpenSettings(main);
  ASSERT_TRUE(dialog);
  Click(dialog, ID_SET_RIGHTMENU);  // on (created as 1) -> off
  Click(dialog, ID_CONFIRM_BUTTON);
  EXPECT_TRUE(WaitForGone(dialog));
  EXPECT_TRUE(ReadsSetting(kRightMenuValue, 0));
  EXPECT_TRUE(WaitFor([] { return ReadProbeLog() == "uninstall user\n"; }, 15000))
      << ReadProbeLog();

  dialog = OpenSettings(main);
  ASSERT_TRUE(dialog);
  Click(dialog, ID_SET_RIGHTMENU);
  Click(dialog, ID_CONFIRM_BUTTON);
  EXPECT_TRUE(WaitForGone(dialog));
  EXPECT_TRUE(ReadsSetting(kRightMenuValue, 1));
  EXPECT_TRUE(WaitFor([] { return ReadProbeLog() == "uninstall user\ninstall user\n"; }, 15000))
      << ReadProbeLog();
}

// Where the setup registered the Explorer entries as a package, the switch removes the package
// and adds it again for the user through the system's PowerShell, and regsvr32 is left alone;
// when PowerShell does not add it (here: there is none), the classic extension takes its place.
TEST_F(SettingsE2e, ExtensionSwitchGoesThroughThePackageWhereTheSetupRegisteredOne) {
  const std::wstring folder = win::ParentFolder(ProgramPath());
  const std::wstring package = win::CombinePath(folder, L"Stashly.msix");
  ASSERT_TRUE(win::testing::PlacePowerShellProbe(win::FileBesideProgram(L"powershell_probe.exe")));
  ::DeleteFileW(win::testing::PowerShellProbeLogPath().c_str());
  win::testing::ForgetPackage(L"Norvane.Stashly");
  WriteSettingDword(kExplorerPackageValue, 1);
  win::testing::WriteFileBytes(package, "<Identity Name=\"Norvane.Stashly\" Version=\"1.2.3.4\"/>");
  struct Cleanup {
    std::wstring package;
    ~Cleanup() {
      ::DeleteFileW(package.c_str());
      win::testing::PlacePowerShellProbe({});
      win::testing::ForgetPackage(L"Norvane.Stashly");
      DeleteSetting(kExplorerPackageValue);
    }
  } cleanup{package};

  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  const std::wstring removal =
      L"-NoProfile -NonInteractive -ExecutionPolicy Bypass -Command \"Get-AppxPackage -Name "
      L"'Norvane.Stashly' | Remove-AppxPackage -ErrorAction Stop";
  const struct {
    std::wstring logTail;
    const wchar_t* registered;
  } steps[] = {
      {removal + L"\"\n", L""},
      {removal + L"; Add-AppxPackage -ErrorAction Stop -ForceApplicationShutdown -Path '" +
           package + L"' -ExternalLocation '" + folder + L"'\"\n",
       L"1.2.3.4"},
  };
  for (const auto& step : steps) {
    HWND dialog = OpenSettings(main);
    ASSERT_TRUE(dialog);
    Click(dialog, ID_SET_RIGHTMENU);
    Click(dialog, ID_CONFIRM_BUTTON);
    EXPECT_TRUE(WaitForGone(dialog));
    std::wstring log;
    EXPECT_TRUE(WaitFor(
        [&] {
          log = win::testing::PowerShellProbeLog();
          return log.size() >= step.logTail.size() &&
                 log.compare(log.size() - step.logTail.size(), step.logTail.size(), step.logTail) ==
                     0 &&
                 win::testing::RegisteredPackageVersion(L"Norvane.Stashly") == step.registered;
        },
        15000))
        << win::ToNarrow(log, CP_UTF8);
  }
  ::Sleep(1000);
  EXPECT_EQ(ReadProbeLog(), "");
  EXPECT_TRUE(ReadsSetting(kExplorerPackageValue, 1));

  ASSERT_TRUE(win::testing::PlacePowerShellProbe({}));
  for (int i = 0; i < 2; ++i) {
    HWND dialog = OpenSettings(main);
    ASSERT_TRUE(dialog);
    Click(dialog, ID_SET_RIGHTMENU);
    Click(dialog, ID_CONFIRM_BUTTON);
    EXPECT_TRUE(WaitForGone(dialog));
  }
  EXPECT_TRUE(WaitFor([] { return ReadProbeLog() == "install user\n"; }, 15000)) << ReadProbeLog();
  EXPECT_TRUE(ReadsSetting(kExplorerPackageValue, 0));
}

TEST_F(SettingsE2e, CancelAndCloseChangeNothing) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  for (int id : {int(ID_CANCEL_BUTTON), IDCANCEL}) {
    HWND dialog = OpenSettings(main);
    ASSERT_TRUE(dialog) << id;
    Click(dialog, ID_SET_STARTUP);
    Click(dialog, ID_SET_AUTOHIDE);
    ::PostMessageW(dialog, WM_COMMAND, id, 0);
    EXPECT_TRUE(WaitForGone(dialog)) << id;
  }
  EXPECT_FALSE(::PathFileExistsW(StartupShortcutPath().c_str()));
  EXPECT_TRUE(ReadsSetting(kAutoHideValue, 0));
}

std::wstring ProbeFolder() {
  return win::FileBesideProgram(L"library_probe");
}

std::wstring LibraryLogPath() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"stashly_library_probe.txt";
}

std::vector<std::wstring> LibraryLog() {
  std::vector<std::wstring> lines;
  win::UniqueFile file(::CreateFileW(LibraryLogPath().c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
  if (!file) return lines;
  std::wstring text;
  wchar_t buffer[256];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read)
    text.append(buffer, read / sizeof(wchar_t));
  size_t start = 0;
  for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// Copies the program, its image provider and its skins beside the probe libraries.
std::wstring LayOutProgramBesideProbes() {
  return e2e::LayOutProgram(ProgramPath(), ProbeFolder());
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

TEST_F(E2e, CallsTheUpdateModuleOnItsOwnThreadAndReportsUsageOnTheWindowThread) {
  ::DeleteFileW(LibraryLogPath().c_str());
  Program program(LayOutProgramBesideProbes());
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  std::wstring uiThread = L" thread=" + std::to_wstring(::GetWindowThreadProcessId(main, nullptr));
  ASSERT_TRUE(WaitFor([] { return LibraryLog().size() >= 5; }));
  ::Sleep(300);
  std::vector<std::wstring> log = LibraryLog();
  std::vector<std::wstring> report, update;
  for (const std::wstring& line : log)
    (StartsWith(line, L"CheckForNewVersion") ? update : report).push_back(line);
  ASSERT_EQ(update.size(), 1u);
  EXPECT_TRUE(StartsWith(update[0], LR"(CheckForNewVersion "http://)"));
  EXPECT_NE(update[0].find(LR"(/download/update.ini" "stashly" null thread=)"), std::wstring::npos)
      << update[0];
  EXPECT_EQ(update[0].find(uiThread), std::wstring::npos) << update[0];
  ASSERT_EQ(report.size(), 4u);
  EXPECT_EQ(report[0], L"CreateInstance statistic=1" + uiThread);
  EXPECT_EQ(report[1], L"QueryInterface statistic=1" + uiThread);
  EXPECT_TRUE(StartsWith(report[2], LR"(Report "http://)")) << report[2];
  EXPECT_NE(report[2].find(LR"(/stat.php?src=stashly&type=open&")" + uiThread), std::wstring::npos)
      << report[2];
  // Its job done, the object goes (and the library with it).
  EXPECT_EQ(report[3], L"Release" + uiThread);
}

TEST_F(E2e, SecondStartMakesNoCallsIntoTheLibraries) {
  std::wstring program = LayOutProgramBesideProbes();
  Program first(program);
  ASSERT_TRUE(first.WaitForWindow());
  ASSERT_TRUE(WaitFor([] { return LibraryLog().size() >= 5; }));
  ::Sleep(300);
  ::DeleteFileW(LibraryLogPath().c_str());
  Program second(program);
  EXPECT_EQ(second.WaitForExit(), 0);
  ::Sleep(300);
  EXPECT_TRUE(LibraryLog().empty());
}

// A top-level dialog of `process` other than `main` (the folder browser).
HWND WaitForOtherDialog(HWND main) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(main, &pid);
  HWND found = nullptr;
  WaitFor([&] {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
         w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(w, &owner);
      if (owner == pid && w != main && ::IsWindowVisible(w)) found = w;
    }
    return found != nullptr;
  });
  return found;
}

void SelectInBrowser(HWND browser, const std::wstring& folder) {
  RemoteBuffer remote(browser, (folder.size() + 1) * sizeof(wchar_t));
  remote.Write(0, folder.c_str(), (folder.size() + 1) * sizeof(wchar_t));
  ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote.address()));
}

std::wstring SelectedTreeLabel(HWND browser) {
  HWND tree = ::FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
  if (!tree) return {};
  auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return {};
  constexpr int kChars = 512;
  RemoteBuffer remote(tree, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = reinterpret_cast<wchar_t*>(remote.address() + sizeof(TVITEMW));
  tv.cchTextMax = kChars;
  remote.Write(0, &tv, sizeof(tv));
  ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.address()));
  wchar_t text[kChars] = {};
  remote.Read(sizeof(TVITEMW), text, sizeof(text) - sizeof(wchar_t));
  return text;
}

TEST_F(E2e, FolderBrowserAddsTheChosenFolderToViewAndFile) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"stashly e2e add";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  WriteSettingDword(kAutoHideValue, 1);
  SetFile({L"C:\\first"});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  for (int round = 0; round < 2; ++round) {
    ::PostMessageW(main, WM_COMMAND, ID_ADD_FOLDER, 0);
    HWND browser = WaitForOtherDialog(main);
    ASSERT_TRUE(browser);
    EXPECT_TRUE(::IsWindowVisible(main));  // the open browser keeps the window up
    // The browser fills its tree after it shows and may move the selection meanwhile: select
    // until the tree's current item is the folder.
    EXPECT_TRUE(WaitFor([&] {
      SelectInBrowser(browser, folder);
      ::Sleep(200);
      return SelectedTreeLabel(browser) == L"stashly e2e add";
    })) << SelectedTreeLabel(browser);
    ::PostMessageW(browser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForGone(browser));
    ::SendMessageW(main, WM_NULL, 0, 0);
  }
  // The same folder twice: no duplicate test.
  std::vector<std::wstring> expected = {L"C:\\first", folder, folder};
  EXPECT_TRUE(WaitFor([&] { return ListRows(main) == expected; }));
  EXPECT_EQ(FileRows(), expected);

  ::PostMessageW(main, WM_COMMAND, ID_ADD_FOLDER, 0);
  HWND browser = WaitForOtherDialog(main);
  ASSERT_TRUE(browser);
  ::PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitForGone(browser));
  ::Sleep(300);
  EXPECT_EQ(FileRows(), expected);
  ::RemoveDirectoryW(folder.c_str());
}

// What the screen shows of a window, as 32-bit pixels.
class ScreenshotE2e : public E2e {
 protected:
  void SetUp() override {
    E2e::SetUp();
    ::CoInitialize(nullptr);
  }
  void TearDown() override {
    ::CoUninitialize();
    E2e::TearDown();
  }
};

TEST_F(ScreenshotE2e, MainWindowDrawsRowsWithGridLinesAndTheSelectedRowInBlue) {
  SetFile(
      {LR"(C:\windows)", LR"(C:\Tom & Jerry\notes.txt)", LR"(C:\文档\报告.docx)",
       LR"(C:\a very long path\that goes on and on and on\well past the right edge of the column\file.txt)"});
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  HWND list = ::GetDlgItem(main, kListViewId);
  SelectRow(main, 1);
  ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::Sleep(500);
  RECT row0 = RowRect(list, 0);
  RECT row1 = RowRect(list, 1);
  EXPECT_EQ(row0.bottom - row0.top, 30);
  Screenshot shot(main);
  EXPECT_TRUE(shot.SavePng(ArtefactPath(L"main_window.png")));
  // Right of the text: background only.
  POINT selected{row1.left + 400, (row1.top + row1.bottom) / 2};
  EXPECT_TRUE(Near(shot.At(selected), kSelectedBlue));
  // The last pixel line of a row is a grid line. Under Wine the system list view draws its own
  // grid (RGB(245,245,245) here) over the rows after they are drawn, so either colour counts.
  COLORREF line = shot.At(POINT{row0.left + 400, row0.bottom - 1});
  EXPECT_TRUE(Near(line, kGridLine) || Near(line, RGB(245, 245, 245)))
      << Near(line, kGridLine).message();
  EXPECT_FALSE(Near(shot.At(POINT{row0.left + 400, row0.bottom - 2}), kGridLine));
  POINT plain{row0.left + 400, (row0.top + row0.bottom) / 2};
  EXPECT_TRUE(Near(shot.At(plain), RGB(255, 255, 255)));
}

TEST_F(ScreenshotE2e, SettingsAndCloseDialogsAreSkinned) {
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  struct Case {
    UINT command;
    const wchar_t* title;
    const wchar_t* file;
    int width, height;
  } cases[] = {{ID_SETTINGS, L"设置", L"settings_dialog.png", 360, 305},
               {IDCANCEL, L"关闭提示", L"close_dialog.png", 330, 235}};
  for (const Case& c : cases) {
    ::PostMessageW(main, WM_COMMAND, c.command, 0);
    HWND dialog = WaitForDialog(c.title);
    ASSERT_TRUE(dialog) << c.title;
    ::Sleep(500);
    RECT rect{};
    ::GetWindowRect(dialog, &rect);
    EXPECT_EQ(rect.right - rect.left, c.width);
    EXPECT_EQ(rect.bottom - rect.top, c.height);
    Screenshot shot(dialog);
    EXPECT_TRUE(shot.SavePng(ArtefactPath(c.file)));
    ::PostMessageW(dialog, WM_COMMAND, ID_CANCEL_BUTTON, 0);
    EXPECT_TRUE(WaitForGone(dialog));
  }
}

}  // namespace
}  // namespace stashly
