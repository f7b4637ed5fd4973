#include "store/favorites_file.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "core/utf8.h"
#include "store/favorites_model.h"
#include "testing/file_bytes.h"
#include "win/shell_paths.h"
#include "win/text.h"
#include "win/thread.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

using Records = std::vector<std::wstring>;
using win::testing::FileBytes;
using win::testing::WriteFileBytes;

// What a folder holds, but for the writers' lock file, which stays once made.
std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  win::UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
  for (bool more = bool(find); more; more = ::FindNextFileW(find.get(), &data)) {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L".." && name != L"favorite.qvd.lock") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool Is936() {
  return ::GetACP() == 936;
}

// Each test starts from a user whose Norvane folder does not exist.
class FavoritesFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = FavoritesFilePath();
    folder_ = win::ParentFolder(path_);
    RemoveTree(win::ParentFolder(folder_));
  }
  void TearDown() override { RemoveTree(win::ParentFolder(folder_)); }

  static void RemoveTree(const std::wstring& folder) {
    for (const auto& name : FolderEntries(folder)) {
      std::wstring child = folder + L"\\" + name;
      ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!::DeleteFileW(child.c_str())) RemoveTree(child);
    }
    ::RemoveDirectoryW(folder.c_str());
  }

  Records Read(ReadResult expected = ReadResult::kRead) {
    RecordList records;
    records.push_back(L"stale");
    EXPECT_EQ(ReadFavoritesFile(path_, records), expected);
    return records.ToVector();
  }

  std::wstring path_;
  std::wstring folder_;
};

TEST_F(FavoritesFile, LivesUnderApplicationData) {
  EXPECT_EQ(path_, win::SpecialFolderPath(CSIDL_APPDATA) + L"\\Norvane\\Stashly\\favorite.qvd");
}

TEST_F(FavoritesFile, MissingFolderReadsEmptyAndTheFirstSaveCreatesIt) {
  EXPECT_EQ(Read(ReadResult::kMissing), Records{});
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\first"}));
  EXPECT_EQ(FileBytes(path_), "C:\\first\r\n");
  EXPECT_EQ(Read(), Records{L"C:\\first"});
}

TEST_F(FavoritesFile, SavesAnEmptyListAsAnEmptyFile) {
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\a"}));
  ASSERT_TRUE(WriteFavoritesFile(path_, RecordList()));
  EXPECT_EQ(FileBytes(path_), "");
  EXPECT_EQ(Read(), Records{});
}

TEST_F(FavoritesFile, ReadsBothLineEndsAndTheSystemCodePage) {
  std::string local = Is936() ? "D:\\\xCE\xC4\xBC\xFE" : "D:\\caf\xE9";
  std::wstring localWide = Is936() ? L"D:\\文件" : L"D:\\café";
  WriteFileBytes(path_, "C:\\a\r\n\r\n" + local + "\nC:\\last");
  EXPECT_EQ(Read(), (Records{L"C:\\a", localWide, L"C:\\last"}));
}

TEST_F(FavoritesFile, KeepsEveryPathTheCodePageCannotHold) {
  const Records records = {L"C:\\a&b", L"D:\\文件\\资料", L"E:\\한국어", L"F:\\café",
                           L"G:\\" + std::wstring(400, L'x')};
  ASSERT_TRUE(WriteFavoritesFile(path_, records));
  EXPECT_TRUE(StartsWithUtf8Bom(FileBytes(path_)));
  EXPECT_EQ(Read(), records);
}

TEST_F(FavoritesFile, StaysInTheCodePageWhileEveryPathFits) {
  const Records records = Is936() ? Records{L"D:\\文件", L"C:\\x"} : Records{L"F:\\café", L"C:\\x"};
  ASSERT_TRUE(WriteFavoritesFile(path_, records));
  EXPECT_EQ(FileBytes(path_), win::ToNarrow(records[0], CP_ACP) + "\r\nC:\\x\r\n");
}

TEST_F(FavoritesFile, FailedSaveLeavesTheOldFileWholeAndNoTemporaryFiles) {
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\keep1", L"C:\\keep2"}));
  const std::string before = FileBytes(path_);

  ASSERT_TRUE(::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteFavoritesFile(path_, {L"C:\\other"}));
  EXPECT_EQ(FileBytes(path_), before);
  EXPECT_EQ(FolderEntries(folder_), Records{L"favorite.qvd"});
  ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);

  {
    // Another program holds the file open and lets nobody else write it.
    win::UniqueFile held(::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(WriteFavoritesFile(path_, {L"C:\\other"}));
    EXPECT_EQ(FolderEntries(folder_), Records{L"favorite.qvd"});
  }
  EXPECT_EQ(FileBytes(path_), before);

  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\new"}));
  EXPECT_EQ(FolderEntries(folder_), Records{L"favorite.qvd"});
}

TEST_F(FavoritesFile, FileHeldExclusivelyIsUnreadableNotEmpty) {
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\a"}));
  win::UniqueFile held(
      ::CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_EQ(Read(ReadResult::kUnreadable), Records{});
}

TEST_F(FavoritesFile, WorksInAFolderNamedOutsideTheCodePage) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"文件한-" + std::to_wstring(::GetCurrentProcessId());
  std::wstring path = folder + L"\\favorite.qvd";
  ASSERT_TRUE(WriteFavoritesFile(path, {L"C:\\a"}));
  ASSERT_TRUE(AppendFavorite(path, L"C:\\b"));
  RecordList records;
  EXPECT_EQ(ReadFavoritesFile(path, records), ReadResult::kRead);
  EXPECT_EQ(records.ToVector(), (Records{L"C:\\a", L"C:\\b"}));
  RemoveTree(folder);
}

TEST_F(FavoritesFile, AppendCreatesFolderAndFileAndAddsLfLines) {
  ASSERT_TRUE(AppendFavorite(path_, L"C:\\one"));
  ASSERT_TRUE(AppendFavorite(path_, L"C:\\two"));
  EXPECT_EQ(FileBytes(path_), "C:\\one\nC:\\two\n");
  EXPECT_EQ(Read(), (Records{L"C:\\one", L"C:\\two"}));
  EXPECT_FALSE(AppendFavorite(path_, L""));
}

TEST_F(FavoritesFile, AppendNeverRunsIntoAnUnendedLastLine) {
  WriteFileBytes(path_, "C:\\old");
  ASSERT_TRUE(AppendFavorite(path_, L"C:\\new"));
  EXPECT_EQ(Read(), (Records{L"C:\\old", L"C:\\new"}));
}

TEST_F(FavoritesFile, AppendOfAPathOutsideTheCodePageConvertsTheFile) {
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\a", L"C:\\b"}));
  ASSERT_TRUE(AppendFavorite(path_, L"E:\\한국어"));
  EXPECT_TRUE(StartsWithUtf8Bom(FileBytes(path_)));
  EXPECT_EQ(Read(), (Records{L"C:\\a", L"C:\\b", L"E:\\한국어"}));
  // From now on the appender writes UTF-8 too.
  ASSERT_TRUE(AppendFavorite(path_, L"F:\\文件"));
  EXPECT_EQ(Read(), (Records{L"C:\\a", L"C:\\b", L"E:\\한국어", L"F:\\文件"}));
  EXPECT_EQ(FolderEntries(folder_), Records{L"favorite.qvd"});
}

TEST_F(FavoritesFile, AppendOfSeveralAddsThemInOrderOrNoneAtAll) {
  WriteFileBytes(path_, "C:\\old");
  const std::wstring several[] = {L"C:\\a", L"D:\\文件", L"C:\\b"};
  ASSERT_TRUE(AppendFavorites(path_, several));
  EXPECT_EQ(Read(), (Records{L"C:\\old", L"C:\\a", L"D:\\文件", L"C:\\b"}));
  // A name that would not read back as one record refuses the whole batch.
  const std::string before = FileBytes(path_);
  for (const wchar_t* odd : {L"", L"C:\\x\ny", L"C:\\x\r"}) {
    const std::wstring batch[] = {L"C:\\fine", odd};
    EXPECT_FALSE(AppendFavorites(path_, batch));
  }
  EXPECT_EQ(FileBytes(path_), before);
}

TEST_F(FavoritesFile, MoveFollowsTheFileAsItIsNow) {
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\a", L"C:\\b", L"C:\\c"}));
  RecordList seen;
  ReadFavoritesFile(path_, seen);
  ASSERT_TRUE(AppendFavorite(path_, L"C:\\new"));  // the extension, meanwhile
  const size_t chosen[] = {1};
  std::vector<size_t> nowAt;
  ASSERT_TRUE(MoveFavorites(path_, seen, chosen, true, &nowAt));
  EXPECT_EQ(Read(), (Records{L"C:\\a", L"C:\\c", L"C:\\b", L"C:\\new"}));
  EXPECT_EQ(nowAt, std::vector<size_t>{2});
  // Nothing to move: the file is not written.
  const size_t first[] = {0};
  ReadFavoritesFile(path_, seen);
  SetWriteFaultHook([](WriteStep) { return false; });
  EXPECT_TRUE(MoveFavorites(path_, seen, first, false, &nowAt));
  EXPECT_FALSE(MoveFavorites(path_, seen, first, true, &nowAt));
  SetWriteFaultHook(nullptr);
  EXPECT_EQ(Read(), (Records{L"C:\\a", L"C:\\c", L"C:\\b", L"C:\\new"}));
}

TEST_F(FavoritesFile, AppendFailsQuietlyWhenTheFileIsHeld) {
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\a"}));
  {
    win::UniqueFile held(
        ::CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(AppendFavorite(path_, L"C:\\b"));
  }
  EXPECT_EQ(Read(), Records{L"C:\\a"});
}

// A window with the main window's title on a thread of its own, as another process would be; of
// the main window's own class, or of another (an Explorer window showing a folder of that name).
class NoticeWindow {
 public:
  explicit NoticeWindow(const wchar_t* className = kMainWindowClass) {
    const bool started = thread_.start([this, className] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = Proc;
      windowClass.hInstance = ::GetModuleHandleW(nullptr);
      windowClass.lpszClassName = className;
      ::RegisterClassW(&windowClass);
      window_ = ::CreateWindowExW(0, windowClass.lpszClassName, kMainWindowTitle, WS_POPUP, 0, 0,
                                  10, 10, nullptr, nullptr, windowClass.hInstance, nullptr);
      ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      ready_ = true;
      MSG message;
      while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
      ::DestroyWindow(window_);
      ::UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
    });
    EXPECT_TRUE(started);
    while (started && !ready_) ::Sleep(1);
  }
  ~NoticeWindow() {
    ::PostThreadMessageW(::GetWindowThreadProcessId(window_, nullptr), WM_QUIT, 0, 0);
    thread_.join();
  }
  std::atomic<int> notices{0};
  std::atomic<ULONG_PTR> lastData{0};
  std::atomic<bool> lastHadPayload{false};

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
      auto* self = reinterpret_cast<NoticeWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
      auto* data = reinterpret_cast<COPYDATASTRUCT*>(lParam);
      ::Sleep(50);  // a reload takes a moment; the sender must wait for it
      self->lastData = data->dwData;
      self->lastHadPayload = data->cbData != 0 || data->lpData != nullptr;
      ++self->notices;
      return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  win::Thread thread_;
  HWND window_ = nullptr;
  std::atomic<bool> ready_{false};
};

TEST(FavoritesNotice, ReachesTheMainWindowByClassAndTitleBeforeReturning) {
  NotifyFavoritesChanged();  // nobody listening: nothing happens
  NoticeWindow namesake(L"CabinetWClass");
  EXPECT_EQ(FindMainWindow(), nullptr);
  NoticeWindow window;
  NotifyFavoritesChanged();
  EXPECT_EQ(namesake.notices, 0);
  EXPECT_EQ(window.notices, 1);
  EXPECT_EQ(window.lastData, COPYDATA_FAVORITES_CHANGED);
  EXPECT_FALSE(window.lastHadPayload);
}

TEST_F(FavoritesFile, ModelChangesTheFileAsItIsNowAndKeepsLongRecordsWhole) {
  const std::wstring longPath = L"C:\\" + std::wstring(40000, L'x');
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\a", longPath, L"C:\\b", L"C:\\c", L"C:\\a"}));
  FavoritesModel model;
  model.Load();
  ASSERT_EQ(model.size(), 5u);
  EXPECT_EQ(model[1], longPath);
  // Another writer adds meanwhile; the delete keeps its record. Any order, repeated and unknown
  // indices ignored; of the two "C:\a" the first one goes.
  ASSERT_TRUE(AppendFavorite(path_, L"E:\\added"));
  const size_t doomed[] = {2, 0, 2, 99};
  ASSERT_TRUE(model.Remove(doomed));
  const Records afterDelete = {longPath, L"C:\\c", L"C:\\a", L"E:\\added"};
  EXPECT_EQ(Read(), afterDelete);
  ASSERT_TRUE(model.Append(L"D:\\new"));
  EXPECT_EQ(model.size(), 5u);
  EXPECT_EQ(model[4], L"D:\\new");

  // The file was rewritten behind the model's back: what it chose is not there any more, so
  // nothing is taken.
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\other"}));
  const size_t first[] = {0};
  EXPECT_TRUE(model.Remove(first));
  EXPECT_EQ(Read(), Records{L"C:\\other"});
}

TEST_F(FavoritesFile, ModelKeepsItsRecordsAndChangesNothingWhileTheFileIsHeld) {
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\keep"}));
  const std::string before = FileBytes(path_);
  FavoritesModel model;
  model.Load();
  {
    win::UniqueFile held(
        ::CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    model.Load();
    EXPECT_EQ(model.trouble(), ReadResult::kUnreadable);
    EXPECT_EQ(model.size(), 1u) << "never an empty list as if the file were empty";
    EXPECT_EQ(model.Append(L"C:\\new").error(), StoreError::kInUse);
    EXPECT_EQ(model.size(), 1u);
  }
  EXPECT_EQ(FileBytes(path_), before);
  EXPECT_TRUE(model.ChangedSinceLoad()) << "the last read kept the records";
  model.Load();
  EXPECT_FALSE(model.ChangedSinceLoad());
  EXPECT_EQ(model.trouble(), ReadResult::kRead);
  ASSERT_TRUE(model.Append(L"C:\\new"));
  EXPECT_EQ(Read(), (Records{L"C:\\keep", L"C:\\new"}));

  // A file past the limits is neither read nor changed.
  WriteFileBytes(path_, std::string(kMaxFavoritesBytes + 1, 'x'));
  EXPECT_TRUE(model.ChangedSinceLoad());
  model.Load();
  EXPECT_EQ(model.trouble(), ReadResult::kTooLarge);
  EXPECT_EQ(model.size(), 2u);
  EXPECT_EQ(model.Append(L"C:\\more").error(), StoreError::kTooLarge);
  EXPECT_EQ(::GetFileSize(win::UniqueFile(::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                        nullptr, OPEN_EXISTING, 0, nullptr))
                              .get(),
                          nullptr),
            kMaxFavoritesBytes + 1);
}

// Every writer, the program's and the extension's, uses the ANSI code page, whatever the thread's
// is (a user whose Formats differ from the system locale): a record that fits it is stored in
// it, a file with one that does not is UTF-8, and the other records come through unchanged.
TEST_F(FavoritesFile, EveryChangeKeepsEveryRecordInTheAnsiCodePage) {
  const UINT acp = ::GetACP();
  if (const char* expected = std::getenv("STASHLY_EXPECT_ACP")) {
    ASSERT_EQ(acp, static_cast<UINT>(std::atoi(expected)));
  }
  if (std::getenv("STASHLY_LANG_MESSAGES")) {
    DWORD thread = 0;
    ::GetLocaleInfoW(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<wchar_t*>(&thread), sizeof thread / sizeof(wchar_t));
    ASSERT_NE(thread, acp) << "the user's code page differs from the system's in this set-up";
  }
  const auto fileFor = win::testing::FavoritesFileFor;
  const std::wstring plain = L"C:\\plain", western = L"C:\\naïve", chinese = L"C:\\文件\\一",
                     korean = L"E:\\한국어";
  for (const std::wstring& record : {plain, western, chinese, korean}) {
    SCOPED_TRACE(win::ToNarrow(record, CP_UTF8));
    const Records others = {L"C:\\a", western, chinese};
    // Reload: the file as written reads back.
    WriteFileBytes(path_, fileFor({record, L"C:\\a"}));
    EXPECT_EQ(Read(), (Records{record, L"C:\\a"}));
    // Delete: another record goes, the rest stay byte for byte.
    WriteFileBytes(path_, fileFor({others[0], record, others[1], others[2]}));
    RecordList seen;
    ReadFavoritesFile(path_, seen);
    const size_t first[] = {0};
    ASSERT_TRUE(RemoveFavorites(path_, seen, first));
    EXPECT_EQ(FileBytes(path_), fileFor({record, others[1], others[2]}));
    // Move: the record one place down.
    ReadFavoritesFile(path_, seen);
    ASSERT_TRUE(MoveFavorites(path_, seen, first, true, nullptr));
    EXPECT_EQ(FileBytes(path_), fileFor({others[1], record, others[2]}));
    // Add: at the end, in the file's encoding or by turning the file into UTF-8.
    ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\a"}));
    ASSERT_TRUE(AppendFavorite(path_, record));
    EXPECT_EQ(Read(), (Records{L"C:\\a", record}));
    const std::string whole = fileFor({L"C:\\a", record});
    std::string added = fileFor({record});
    added.replace(added.size() - 2, 2, "\n");  // the appender ends a line with LF alone
    EXPECT_EQ(FileBytes(path_), StartsWithUtf8Bom(whole) ? whole : fileFor({L"C:\\a"}) + added);
  }
}

// A file that did not read back as itself is kept before its first rewrite, and only another
// damaged read replaces that copy; a UTF-16 file reads and is written back in the ANSI code page.
TEST_F(FavoritesFile, ADamagedFileIsKeptBesideItBeforeItIsReplaced) {
  const std::string utf16("\xFF\xFE" "C\0:\0\\\0a\0\r\0\n\0D\0:\0\\\0b\0", 22);
  const struct {
    const char* name;
    std::string bytes;
    Records records;
    bool damaged;
  } cases[] = {
      {"ansi", "C:\\a\r\nD:\\b\r\n", {L"C:\\a", L"D:\\b"}, false},
      {"utf-16", utf16, {L"C:\\a", L"D:\\b"}, false},
      {"a nul byte", std::string("C:\\a\0x\nD:\\b\n", 11), {L"C:\\ax", L"D:\\b"}, true},
      {"utf-16 cut short", utf16 + "!", {L"C:\\a", L"D:\\b"}, true},
  };
  const std::wstring copy = DamagedCopyPath(path_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileW(copy.c_str());
    WriteFileBytes(path_, c.bytes);
    bool lossless = false;
    RecordList seen;
    ASSERT_EQ(ReadFavoritesFile(path_, seen, &lossless), ReadResult::kRead);
    EXPECT_EQ(seen.ToVector(), c.records);
    EXPECT_EQ(lossless, !c.damaged);
    const size_t second[] = {1};
    ASSERT_TRUE(RemoveFavorites(path_, seen, second));
    EXPECT_EQ(FileBytes(path_), win::ToNarrow(c.records[0], CP_ACP) + "\r\n");
    const std::string kept = c.damaged ? c.bytes : FileBytes(copy);
    EXPECT_EQ(FileBytes(copy), kept);
    EXPECT_EQ(::GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES, c.damaged);
    // A lossless rewrite leaves the copy alone.
    ASSERT_TRUE(AppendFavorite(path_, L"E:\\문"));
    EXPECT_EQ(FileBytes(copy), kept);
  }
  // Another damaged read replaces it.
  WriteFileBytes(path_, std::string("X:\\\0\n", 5));
  ASSERT_TRUE(AppendFavorite(path_, L"E:\\문"));
  EXPECT_EQ(FileBytes(copy), std::string("X:\\\0\n", 5));
}

// A lock file that only lets this user read it (made by an elevated writer) serves all the same.
TEST_F(FavoritesFile, WritersShareALockFileTheyCanOnlyRead) {
  ASSERT_TRUE(AppendFavorite(path_, L"C:\\a"));
  const std::wstring lock = path_ + L".lock";
  ASSERT_NE(::GetFileAttributesW(lock.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(::SetFileAttributesW(lock.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(AppendFavorite(path_, L"C:\\b"));
  EXPECT_TRUE(WriteFavoritesFile(path_, {L"C:\\c"}));
  ::SetFileAttributesW(lock.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Read(), Records{L"C:\\c"});
}

WriteStep failingStep;
bool FailAt(WriteStep step) {
  return step != failingStep;
}

TEST_F(FavoritesFile, AFaultAtAnyStepLeavesTheOldFileWholeAndNoTemporaryFile) {
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\keep1", L"C:\\keep2"}));
  const std::string before = FileBytes(path_);
  for (WriteStep step :
       {WriteStep::kCreate, WriteStep::kWrite, WriteStep::kFlush, WriteStep::kReplace}) {
    SCOPED_TRACE(static_cast<int>(step));
    failingStep = step;
    SetWriteFaultHook(FailAt);
    EXPECT_FALSE(WriteFavoritesFile(path_, {L"C:\\other"}));
    const size_t first[] = {0};
    RecordList seen;
    ReadFavoritesFile(path_, seen);
    EXPECT_FALSE(RemoveFavorites(path_, seen, first));
    EXPECT_EQ(FileBytes(path_), before);
    EXPECT_EQ(FolderEntries(folder_), Records{L"favorite.qvd"});
    // An append writes in place: a write that stops half-way or a flush that fails is undone.
    const bool appended = bool(AppendFavorite(path_, L"C:\\added"));
    EXPECT_EQ(appended, step != WriteStep::kWrite && step != WriteStep::kFlush);
    if (!appended) {
      EXPECT_EQ(FileBytes(path_), before);
    }
    SetWriteFaultHook(nullptr);
    Records expected = {L"C:\\keep1", L"C:\\keep2"};
    if (appended) expected.push_back(L"C:\\added");
    EXPECT_EQ(Read(), expected);
    ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\keep1", L"C:\\keep2"}));
  }
}

TEST_F(FavoritesFile, ASaveKeepsTheFilesAttributes) {
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\a"}));
  ASSERT_TRUE(::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\b"}));
  EXPECT_TRUE(::GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FavoritesFile, TheNextWriteRemovesTemporaryFilesAStoppedWriterLeft) {
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\a"}));
  WriteFileBytes(folder_ + L"\\fav1A2B.tmp", "half a save");
  WriteFileBytes(folder_ + L"\\notes.txt", "not ours");
  ASSERT_TRUE(AppendFavorite(path_, L"C:\\b"));        // an append replaces nothing...
  ASSERT_TRUE(WriteFavoritesFile(path_, {L"C:\\c"}));  // ...a save does, and tidies up first
  EXPECT_EQ(FolderEntries(folder_), (Records{L"favorite.qvd", L"notes.txt"}));
}

TEST_F(FavoritesFile, NothingIsWrittenBesideTheCurrentFolderWhenThereIsNoApplicationData) {
  // What FavoritesFilePath gives when the application-data folder cannot be found.
  const std::wstring relative = L"Norvane\\Stashly\\favorite.qvd";
  EXPECT_FALSE(WriteFavoritesFile(relative, {L"C:\\a"}));
  EXPECT_FALSE(AppendFavorite(relative, L"C:\\a"));
  EXPECT_EQ(::GetFileAttributesW(L"Norvane"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace stashly
