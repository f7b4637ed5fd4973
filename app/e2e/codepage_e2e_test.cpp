// The real Stashly.exe on systems whose user code page (the thread's) may differ from the
// system's ANSI code page, as on a Windows whose Formats differ from its system locale: deleting
// and moving rows leaves every other record as it was, byte for byte, and the list reads back
// the same after a restart.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_ids.h"
#include "store/settings_store.h"
#include "testing/e2e_support.h"
#include "testing/file_bytes.h"

namespace stashly {
namespace {

using namespace e2e;
using Rows = std::vector<std::wstring>;

UINT ThreadCodePage() {
  DWORD page = 0;
  ::GetLocaleInfoW(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                   reinterpret_cast<wchar_t*>(&page), sizeof page / sizeof(wchar_t));
  return page;
}

TEST(CodePages, DeleteAndMoveKeepEveryOtherRecordAndARestartReadsTheSame) {
  KillStrays();
  WriteSettingDword(kAutoHideValue, 0);
  // Records that all fit the user's code page: a writer that used it instead of the system's
  // would store them in it, and the next read would garble them.
  Rows rows = {L"C:\\plain", L"C:\\doomed"};
  std::string encoded;
  for (const wchar_t* record : {L"C:\\文件\\一", L"C:\\café"})
    if (win::testing::EncodesExactly(record, ThreadCodePage(), encoded)) rows.push_back(record);
  rows.push_back(L"C:\\last");
  const std::wstring path = FavoritesFilePath();
  win::testing::WriteFileBytes(path, win::testing::FavoritesFileFor(rows));
  {
    Program program;
    HWND main = program.WaitForWindow();
    ASSERT_TRUE(main);
    ASSERT_EQ(ListRows(main), rows);
    SelectRow(main, 1);
    ::SendMessageW(main, WM_COMMAND, ID_DELETE_SELECTED, 0);
    rows.erase(rows.begin() + 1);
    EXPECT_EQ(win::testing::FileBytes(path), win::testing::FavoritesFileFor(rows));
    SelectRow(main, 0);
    ::SendMessageW(main, WM_COMMAND, ID_MOVE_SELECTED_DOWN, 0);
    std::swap(rows[0], rows[1]);
    EXPECT_EQ(win::testing::FileBytes(path), win::testing::FavoritesFileFor(rows));
    ::PostMessageW(main, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.WaitForExit(), 1);
  }
  Program again;
  HWND main = again.WaitForWindow();
  ASSERT_TRUE(main);
  EXPECT_EQ(ListRows(main), rows);
  KillStrays();
}

}  // namespace
}  // namespace stashly
