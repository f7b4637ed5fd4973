// The real program kept busy for a long while: settings and close dialogs opened and closed,
// a 2 000-entry list reloaded, change notices answered. Its handles and private bytes stay flat.
// The counts are small by default; STASHLY_SOAK_FULL=1 runs 500 of each dialog, 1 000 reloads
// of 2 000 entries and 5 000 notices.
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "store/favorites_file.h"
#include "store/settings_store.h"
#include "testing/e2e_support.h"

namespace stashly {
namespace {

using namespace e2e;

struct Usage {
  DWORD handles = 0;
  SIZE_T privateBytes = 0;
};

// The handles a process holds, counted by trying each handle value in turn: Wine answers
// GetProcessHandleCount with 0, so the count is taken the long way.
DWORD HandleCount(HANDLE process) {
  DWORD count = 0;
  for (UINT_PTR value = 4; value < 0x10000; value += 4) {
    HANDLE copy = nullptr;
    if (::DuplicateHandle(process, reinterpret_cast<HANDLE>(value), ::GetCurrentProcess(), &copy, 0,
                          FALSE, DUPLICATE_SAME_ACCESS)) {
      ++count;
      ::CloseHandle(copy);
    }
  }
  return count;
}

Usage UsageOf(HANDLE process) {
  Usage usage;
  usage.handles = HandleCount(process);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  // The commit charge, which Windows also reports as the private bytes (Wine only as this).
  if (::GetProcessMemoryInfo(process, &memory, sizeof memory))
    usage.privateBytes = memory.PagefileUsage;
  return usage;
}

// Opens a dialog with `command` and closes it with `close`, as a user would, `times` times.
void OpenAndClose(HWND main, UINT command, const wchar_t* title, int close, int times) {
  for (int i = 0; i < times; ++i) {
    ::PostMessageW(main, WM_COMMAND, command, 0);
    HWND dialog = WaitForDialog(title);
    ASSERT_TRUE(dialog) << title << " " << i;
    ::PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(close), 0);
    ASSERT_TRUE(WaitForGone(dialog)) << title << " " << i;
  }
}

void Notify(int times) {
  for (int i = 0; i < times; ++i) NotifyFavoritesChanged();
}

std::vector<std::wstring> Entries(int count) {
  std::vector<std::wstring> entries;
  for (int i = 0; i < count; ++i) entries.push_back(L"C:\\soak\\entry " + std::to_wstring(i));
  return entries;
}

TEST(Soak, HandlesAndPrivateBytesStayFlat) {
  const bool full = std::getenv("STASHLY_SOAK_FULL") != nullptr;
  const int dialogs = full ? 500 : 20, reloads = full ? 1000 : 20, notices = full ? 5000 : 200;
  KillStrays();
  ::SHDeleteValueW(HKEY_CURRENT_USER, kSettingsKey, kExitWhenCloseValue);
  WriteSettingDword(kAutoHideValue, 0);
  ASSERT_TRUE(WriteFavoritesFile(FavoritesFilePath(), Entries(2000)));
  Program program;
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);

  // One round of everything first: what is made once and kept is not a leak.
  OpenAndClose(main, ID_SETTINGS, L"设置", ID_CANCEL_BUTTON, 2);
  OpenAndClose(main, IDCANCEL, L"关闭提示", ID_CANCEL_BUTTON, 2);
  Notify(2);
  const Usage start = UsageOf(program.handle());

  OpenAndClose(main, ID_SETTINGS, L"设置", ID_CANCEL_BUTTON, dialogs);
  OpenAndClose(main, IDCANCEL, L"关闭提示", ID_CANCEL_BUTTON, dialogs);
  Notify(reloads);
  ASSERT_TRUE(WriteFavoritesFile(FavoritesFilePath(), Entries(20)));
  Notify(notices);
  ASSERT_EQ(ListRows(main).size(), 20u);
  const Usage end = UsageOf(program.handle());

  std::printf(
      "soak: %d + %d dialogs, %d reloads of 2000, %d notices: handles %lu -> %lu, "
      "private bytes %.1f MB -> %.1f MB\n",
      dialogs, dialogs, reloads, notices, start.handles, end.handles,
      start.privateBytes / 1048576.0, end.privateBytes / 1048576.0);
  EXPECT_GT(start.handles, 0u) << "the count works";
  EXPECT_LE(end.handles, start.handles + 10);
  // The heap may keep some of what a 2 000-entry list took; a leak per action grows far more.
  EXPECT_LE(end.privateBytes, start.privateBytes + (8u << 20));
  KillStrays();
  ASSERT_TRUE(WriteFavoritesFile(FavoritesFilePath(), RecordList()));
}

}  // namespace
}  // namespace stashly
