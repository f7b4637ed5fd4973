// Writers stopped dead: a writer process is terminated at random moments, 200 times, while it
// saves and appends to a large list. After every stop the file is one whole state the writer
// went through, and temporary files of a stopped save do not outlive the next save.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "store/favorites_file.h"
#include "testing/file_bytes.h"
#include "testing/process.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/thread.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

// Whether `records` is generation g's list followed by its first m appends (0 <= m <= 3).
bool IsWholeState(const std::vector<std::wstring>& records, long& generation) {
  if (records.size() < 2000 || records.size() > 2003) return false;
  const std::wstring first = records[0];
  const std::wstring prefix = L"C:\\big\\";
  if (first.rfind(prefix, 0) != 0) return false;
  generation = std::wcstol(first.c_str() + prefix.size(), nullptr, 10);
  const std::wstring g = std::to_wstring(generation);
  for (size_t j = 0; j < 2000; ++j)
    if (records[j] != prefix + g + L"\\" + std::to_wstring(j)) return false;
  for (size_t k = 2000; k < records.size(); ++k)
    if (records[k] != L"C:\\add\\" + g + L"\\" + std::to_wstring(k - 2000)) return false;
  return true;
}

int TemporaryFiles(const std::wstring& folder) {
  int count = 0;
  WIN32_FIND_DATAW found{};
  win::UniqueFind search(::FindFirstFileW((folder + L"\\fav*.tmp").c_str(), &found));
  for (bool more = bool(search); more; more = ::FindNextFileW(search.get(), &found)) ++count;
  return count;
}

win::UniqueHandle StartWriter(const std::wstring& path, long generation, long operations = -1) {
  std::wstring command = L"\"" + win::FileBesideProgram(L"favorites_writer.exe") + L"\" \"" + path +
                         L"\" " + std::to_wstring(generation);
  if (operations >= 0) command += L" " + std::to_wstring(operations);
  return win::testing::StartProcess(std::move(command));
}

TEST(KilledWriter, LeavesAWholeFileEveryTime) {
  const std::wstring path = FavoritesFilePath();
  const std::wstring folder = win::ParentFolder(path);
  {
    auto writer = StartWriter(path, 0, 1);
    ASSERT_TRUE(writer);
    ASSERT_EQ(::WaitForSingleObject(writer.get(), 30000), WAIT_OBJECT_0);
  }
  std::mt19937 random(20261208);
  std::uniform_int_distribution<DWORD> moment(0, 400);
  int survived = 0, midSave = 0;
  long generation = 1;
  for (int round = 0; round < 200; ++round) {
    auto writer = StartWriter(path, generation);
    ASSERT_TRUE(writer);
    ::Sleep(moment(random));
    ::TerminateProcess(writer.get(), 9);
    ::WaitForSingleObject(writer.get(), 10000);
    RecordList records;
    ASSERT_EQ(ReadFavoritesFile(path, records), ReadResult::kRead) << round;
    long seen = -1;
    if (IsWholeState(records.ToVector(), seen))
      ++survived;
    else
      ADD_FAILURE() << "round " << round << ": " << records.size() << " records, no whole state";
    const int temporary = TemporaryFiles(folder);
    EXPECT_LE(temporary, 1) << "round " << round;
    midSave += temporary;
    generation = seen + 1;
  }
  // The next save of a writer that is not stopped tidies up what the stopped ones left.
  auto writer = StartWriter(path, generation, 1);
  ASSERT_EQ(::WaitForSingleObject(writer.get(), 30000), WAIT_OBJECT_0);
  EXPECT_EQ(TemporaryFiles(folder), 0);
  std::printf("kills survived: %d of 200 (%d stopped in the middle of a save)\n", survived,
              midSave);
}

// Another writer holds the lock (another process: another session or rights would be the same
// to the lock file): a writer waits for it, takes it at once when the holder dies, and gives up,
// writing nothing, when it is kept past the time-out.
TEST(WritersLock, IsSharedWithEveryOtherProcess) {
  const std::wstring path = FavoritesFilePath();
  ASSERT_TRUE(WriteFavoritesFile(path, {L"C:\\first"}));
  const struct {
    const char* name;
    DWORD holdMs;
    DWORD killAfterMs;  // 0: not killed
    StoreError expected;
  } cases[] = {
      {"let go after a while", 1500, 0, StoreError::kNone},
      {"holder killed mid-change", 60000, 500, StoreError::kNone},
      {"kept past the time-out", 15000, 0, StoreError::kBusy},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring eventName = L"Local\\StashlyLockHeld" + std::to_wstring(::GetCurrentProcessId());
    win::UniqueHandle held(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    win::UniqueHandle holder = win::testing::StartProcess(
        L"\"" + win::FileBesideProgram(L"favorites_writer.exe") + L"\" --hold \"" + path + L"\" " +
        std::to_wstring(c.holdMs) + L" " + eventName);
    ASSERT_TRUE(holder);
    ASSERT_EQ(::WaitForSingleObject(held.get(), 30000), WAIT_OBJECT_0);
    win::Thread killer;
    if (c.killAfterMs) {
      ASSERT_TRUE(killer.start([&] {
        ::Sleep(c.killAfterMs);
        ::TerminateProcess(holder.get(), 9);
      }));
    }
    const std::string before = win::testing::FileBytes(path);
    const StoreResult added = AppendFavorite(path, L"C:\\added");
    killer.join();
    EXPECT_EQ(added.error(), c.expected);
    std::string expected = before;
    if (added) expected += "C:\\added\n";
    EXPECT_EQ(win::testing::FileBytes(path), expected);
    ::WaitForSingleObject(holder.get(), 30000);
  }
}

}  // namespace
}  // namespace stashly
