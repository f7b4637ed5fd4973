// Renova.dll bound by name from this program's folder and called as the program calls it, on a
// thread of its own, against the loopback server: the check, the dialog, the download and the
// installer's start.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "abi/update_module.h"
#include "testing/file_bytes.h"
#include "testing/loopback.h"
#include "update/download.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/unique_any.h"

namespace renova {
namespace {

using stashly::testing::Loopback;
using win::testing::FileBytes;

template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs = 15000) {
  for (DWORD start = ::GetTickCount();; ::Sleep(20)) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    if (pred()) return true;
    if (::GetTickCount() - start > timeoutMs) return false;
  }
}

std::wstring TempFolder() {
  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  std::wstring path = folder;
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

// Names in the temporary folder that the module makes: its INI copies ("ren*.tmp") and the
// installers' folders ("renova-*").
std::vector<std::wstring> ModuleLeftovers() {
  std::vector<std::wstring> names;
  for (const wchar_t* pattern : {L"\\ren*.tmp", L"\\renova-*"}) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((TempFolder() + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do names.push_back(found.cFileName);
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  return names;
}

std::wstring InstallerMarker() {
  return TempFolder() + L"\\renova_test_installer.txt";
}

std::string Ini(const std::string& body) {
  return "[stashly]\r\n" + body;
}

// The export of the module `name` beside the test, which stays loaded.
stashly::CheckForNewVersionFn Bound(const wchar_t* name) {
  return win::GetExport<stashly::CheckForNewVersionFn>(
      ::LoadLibraryW(win::FileBesideProgram(name).c_str()), "CheckForNewVersion");
}

// One call of the export on a thread of its own, as the program makes it.
class Check {
 public:
  Check(std::wstring ini, const wchar_t* current,
        stashly::CheckForNewVersionFn check = Bound(L"Renova.dll"))
      : ini_(std::move(ini)), current_(current), check_(check) {
    thread_.reset(::CreateThread(nullptr, 0, Run, this, 0, &id_));
  }
  ~Check() { Finish(); }
  // The result, once the call has returned (-1 when it did not within the time).
  int Finish(DWORD timeoutMs = 30000) {
    if (thread_ && ::WaitForSingleObject(thread_.get(), timeoutMs) != WAIT_OBJECT_0) return -1;
    return result_;
  }
  // The update dialog of this call, once it is shown.
  HWND Dialog() {
    HWND found = nullptr;
    WaitFor([&] {
      ::EnumThreadWindows(id_, FindUpdateDialog, reinterpret_cast<LPARAM>(&found));
      return found != nullptr || ::WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0;
    });
    return found;
  }

 private:
  static BOOL CALLBACK FindUpdateDialog(HWND window, LPARAM found) {
    wchar_t title[32] = {};
    ::GetWindowTextW(window, title, 32);
    if (::IsWindowVisible(window) && std::wstring(title) == L"升级")
      *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
  }
  static DWORD WINAPI Run(void* self) {
    auto* check = static_cast<Check*>(self);
    check->result_ =
        check->check_ ? check->check_(check->ini_.c_str(), L"stashly", check->current_) : -2;
    return 0;
  }
  std::wstring ini_;
  const wchar_t* current_;
  stashly::CheckForNewVersionFn check_ = nullptr;
  int result_ = -1;
  DWORD id_ = 0;
  win::UniqueHandle thread_;
};

// The control with id -1, the question line (0xFFFF or -1, as the system widens the id).
HWND QuestionLine(HWND dialog) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const auto id = static_cast<DWORD>(::GetWindowLongPtrW(child, GWLP_ID));
    if (id == 0xFFFFFFFF || id == 0xFFFF) return child;
  }
  return nullptr;
}

// The test installer as built (unsigned), or one of its copies signed at test time
// (installer_<certificate>.exe).
std::string InstallerBytes(const wchar_t* name = L"test_installer.exe") {
  return FileBytes(win::FileBesideProgram(name));
}

std::string Narrow(const std::wstring& ascii) {
  return std::string(ascii.begin(), ascii.end());
}

std::wstring Text(HWND window) {
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  return text;
}

std::wstring Text(HWND dialog, int id) {
  return Text(::GetDlgItem(dialog, id));
}

// Where the test installer ran from, once it has said so; the installer, its folder and its
// note are then taken away (the installer once it has ended). Empty when it never started.
std::wstring StartedInstaller() {
  std::string note;
  WaitFor(
      [&] {
        note = FileBytes(InstallerMarker());
        return note != "<missing>" && !note.empty();
      },
      30000);
  if (note == "<missing>") return {};
  const std::wstring path(reinterpret_cast<const wchar_t*>(note.data()),
                          note.size() / sizeof(wchar_t));
  EXPECT_TRUE(WaitFor([&] { return ::DeleteFileW(path.c_str()) != FALSE; }));
  ::RemoveDirectoryW(win::ParentFolder(path).c_str());
  ::DeleteFileW(InstallerMarker().c_str());
  return path;
}

class Renova : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Loopback::Port(), 0);
    Loopback::Clear();
    ::DeleteFileW(InstallerMarker().c_str());
    leftovers_ = ModuleLeftovers();
  }
  void TearDown() override { EXPECT_EQ(ModuleLeftovers(), leftovers_) << "the module tidies up"; }
  std::vector<std::wstring> leftovers_;
};

TEST_F(Renova, ChecksThatShowNoDialog) {
  std::string huge = Ini("version=9.0.0.0\r\nurl=http://h/setup.exe\r\n");
  huge += std::string(2 << 20, '#');
  std::string hostile =
      "\x01\x80\x9Fgarbage\r\n[]\r\n=\r\n[stashly]\r\nversion=9.0.0.0\r\nurl="
      "\\\\server\\share\\setup.exe\r\ninfo=";
  hostile += std::string(100000, 'i') + "\r\n";
  for (int i = 0; i < 10000; ++i)
    hostile += "key" + std::to_string(i) + "=" + std::string(40, 'v') + "\r\n";
  Loopback::Serve(L"same.ini", Ini("version=1.0.0.1\r\nurl=http://h/setup.exe\r\n"));
  Loopback::Serve(L"older.ini", Ini("version=1.0.0.0\r\nurl=http://h/setup.exe\r\n"));
  Loopback::Serve(L"other.ini", "[another]\r\nversion=9.0.0.0\r\n");
  Loopback::Serve(L"nourl.ini", Ini("version=9.0.0.0\r\n"));
  Loopback::Serve(L"file.ini", Ini("version=9.0.0.0\r\nurl=file:///C:/windows/notepad.exe\r\n"));
  Loopback::Serve(L"own.ini", Ini("version=2.0.0.0\r\nurl=http://h/setup.exe\r\n"));
  Loopback::Serve(L"huge.ini", huge);
  Loopback::Serve(L"hostile.ini", hostile);
  ASSERT_TRUE(Loopback::TrustSecureServer());
  const auto plain = [](const wchar_t* path) { return Loopback::Url(path); };
  const auto secure = [](const wchar_t* path) { return Loopback::SecureUrl(path); };
  const struct {
    std::wstring url;
    const wchar_t* current;  // null: the test program's own version, 2.0.0.0
    int result;
  } cases[] = {
      {plain(L"/same.ini"), L"1.0.0.1", 0},
      {plain(L"/older.ini"), L"1.0.0.1", 0},
      {plain(L"/same.ini"), L"1.0.0.01", 0},  // numbers, not texts
      {plain(L"/other.ini"), L"1.0.0.1", 0},  // no section: 1.0.0.0
      {plain(L"/other.ini"), L"0.9", 1},      // ... which is newer than 0.9; no url, no dialog
      {plain(L"/nourl.ini"), L"1.0.0.1", 1},
      {plain(L"/file.ini"), L"1.0.0.1", 1},  // not a web address: never started
      {plain(L"/own.ini"), nullptr, 0},
      {plain(L"/nourl.ini"), nullptr, 1},
      {plain(L"/status/404/nourl.ini"), L"1.0.0.1", 0},  // an error page is no INI
      {plain(L"/short/nourl.ini"), L"1.0.0.1", 0},       // nor half of one
      {plain(L"/huge.ini"), L"1.0.0.1", 0},
      {plain(L"/hostile.ini"), L"1.0.0.1", 1},
      {plain(L"/missing.ini"), L"1.0.0.1", 0},
      {plain(L"/moved/nourl.ini"), L"1.0.0.1", 1},    // a redirect is followed,
      {plain(L"/hops/10/nourl.ini"), L"1.0.0.1", 1},  // ten of them too,
      {plain(L"/hops/11/nourl.ini"), L"1.0.0.1", 0},  // but not eleven,
      {plain(L"/loop/nourl.ini"), L"1.0.0.1", 0},     // nor a loop,
      {plain(L"/tofile/nourl.ini"), L"1.0.0.1", 0},   // nor one to another scheme,
      {secure(L"/nourl.ini"), L"1.0.0.1", 1},
      {secure(L"/moved/nourl.ini"), L"1.0.0.1", 1},
      {plain(L"/tohttps/nourl.ini"), L"1.0.0.1", 1},  // up to https,
      {secure(L"/tohttp/nourl.ini"), L"1.0.0.1", 0},  // but never down from it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::string(c.url.begin(), c.url.end()));
    Check check(c.url, c.current);
    EXPECT_EQ(check.Finish(), c.result);
  }
  Check unreachable(L"http://127.0.0.1:" + std::to_wstring(Loopback::Port() + 1) + L"/a.ini",
                    L"1.0.0.1");
  EXPECT_EQ(unreachable.Finish(), 0);
}

class Snapwell {
 public:
  Snapwell() {
    WNDCLASSW spec{};
    spec.lpfnWndProc = Proc;
    spec.hInstance = ::GetModuleHandleW(nullptr);
    spec.lpszClassName = L"RenovaTestSnapwell";
    ::RegisterClassW(&spec);
    window_.reset(::CreateWindowW(L"RenovaTestSnapwell", L"Snapwell", WS_OVERLAPPED, 0, 0, 50, 50,
                                  nullptr, nullptr, spec.hInstance, nullptr));
    command = 0;
  }
  static inline WPARAM command = 0;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) command = wParam;
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  win::UniqueWindow window_;
};

TEST_F(Renova, DialogOffersTheVersionAndStartsTheDownloadedInstaller) {
  // A developer build of the module (unsigned) starts any installer whose signature holds.
  Loopback::Serve(L"download\\setup.exe", InstallerBytes(L"installer_other.exe"));
  const std::wstring url = Loopback::Url(L"/drip/5/download/setup.exe?from=test");
  Loopback::Serve(L"offer.ini", Ini("version=9.0.0.2\r\nurl=" + Narrow(url) +
                                    "\r\ninfo=line one\\nline two\r\n"));
  Snapwell snapwell;

  Check check(Loopback::Url(L"/offer.ini"), L"1.0.0.1");
  const HWND dialog = check.Dialog();
  ASSERT_TRUE(dialog);
  wchar_t text[128] = {};
  ::GetWindowTextW(QuestionLine(dialog), text, 128);
  EXPECT_STREQ(text, L"stashly有新版本9.0.0.2了，是否更新？");
  EXPECT_EQ(Text(dialog, 1004), L"line one\r\nline two");
  EXPECT_EQ(Text(dialog, 1001), Loopback::Url(L"/"));
  EXPECT_EQ(Text(dialog, 1003), L"等待下载");
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, 1002)));
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, 1003)));

  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  // Under way (two thirds of a megabyte, a piece every 5 ms): the progress shows, "升级" is off.
  ASSERT_TRUE(WaitFor([&] { return Text(dialog, 1003).find(L"已下载") == 0; }));
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dialog, 1002)));
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dialog, 1003)));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDOK)));
  EXPECT_EQ(check.Finish(), 1);
  // It ran from a folder of its own under the temporary folder, under the address's name, and
  // stays there (for the test to take away once it has ended).
  const std::wstring path = StartedInstaller();
  ASSERT_GT(path.size(), 10u);
  EXPECT_EQ(path.substr(path.size() - 10), L"\\setup.exe") << path;
  EXPECT_EQ(path.find(TempFolder() + L"\\renova-"), 0u) << path;
  EXPECT_TRUE(WaitFor([] { return Snapwell::command == IDCANCEL; }));
}

TEST_F(Renova, OnlyAnInstallerOfTheModulesOwnPublisherStarts) {
  // Renova_signed.dll is this module signed at test time with the certificate "ours"; the
  // installers are signed with it, with a renewal of it (same subject, new key), with one of the
  // same common name for another organisation, and with another publisher's.
  const stashly::CheckForNewVersionFn pinned = Bound(L"Renova_signed.dll");
  const stashly::CheckForNewVersionFn developer = Bound(L"Renova.dll");
  ASSERT_TRUE(pinned);
  std::string changed = InstallerBytes(L"installer_ours.exe");
  changed[changed.size() / 2] ^= 1;
  const struct {
    const char* what;
    stashly::CheckForNewVersionFn module;
    std::string installer;
    bool starts;
  } cases[] = {
      {"our own", pinned, InstallerBytes(L"installer_ours.exe"), true},
      {"our renewed certificate", pinned, InstallerBytes(L"installer_renewed.exe"), true},
      {"unsigned", pinned, InstallerBytes(), false},
      {"one byte changed after signing", pinned, changed, false},
      {"another publisher", pinned, InstallerBytes(L"installer_other.exe"), false},
      {"our name, another organisation", pinned, InstallerBytes(L"installer_namesake.exe"), false},
      {"unsigned, developer build", developer, InstallerBytes(), false},
      {"changed, developer build", developer, changed, false},
  };
  const std::wstring url = Loopback::Url(L"/download/setup.exe");
  Loopback::Serve(L"offer.ini", Ini("version=9.0.0.2\r\nurl=" + Narrow(url) + "\r\n"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Loopback::Serve(L"download\\setup.exe", c.installer);
    Check check(Loopback::Url(L"/offer.ini"), L"1.0.0.1", c.module);
    const HWND dialog = check.Dialog();
    ASSERT_TRUE(dialog);
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    if (c.starts) {
      EXPECT_EQ(check.Finish(), 1);
      EXPECT_FALSE(StartedInstaller().empty());
      continue;
    }
    // The dialog stays and says so in one line; the installer and its folder are gone already.
    EXPECT_TRUE(WaitFor(
        [&] { return Text(QuestionLine(dialog)) == L"安装程序的签名无效，已删除。"; }, 30000));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, 1002)));
    EXPECT_EQ(ModuleLeftovers(), leftovers_);
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(check.Finish(), 1);
    EXPECT_EQ(::GetFileAttributesW(InstallerMarker().c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

TEST_F(Renova, FailedOrCancelledDownloadsStartNothingAndLeaveNothing) {
  // A real program: were it ever started, it would leave its marker.
  Loopback::Serve(L"download\\big.exe", InstallerBytes() + std::string(4 << 20, 'x'));
  const struct {
    std::wstring url;
    bool cancel;  // click "取消" while it downloads
  } cases[] = {
      {Loopback::Url(L"/download/missing.exe"), false},
      {Loopback::Url(L"/short/download/big.exe"), false},
      {Loopback::Url(L"/status/500/download/big.exe"), false},
      {L"http://127.0.0.1:" + std::to_wstring(Loopback::Port() + 1) + L"/setup.exe", false},
      {Loopback::Url(L"/drip/20/download/big.exe"), true},
      {Loopback::Url(L"/drip/20/nolength/download/big.exe"), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << Narrow(c.url));
    Loopback::Serve(L"offer.ini", Ini("version=9.0.0.2\r\nurl=" + Narrow(c.url) + "\r\n"));
    Check check(Loopback::Url(L"/offer.ini"), L"1.0.0.1");
    const HWND dialog = check.Dialog();
    ASSERT_TRUE(dialog);
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    if (c.cancel) {
      // Under way: the status text counts.
      ASSERT_TRUE(WaitFor([&] { return Text(dialog, 1003).find(L"已下载") == 0; }));
      ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    EXPECT_EQ(check.Finish(c.cancel ? 10000 : 30000), 1);
    EXPECT_EQ(ModuleLeftovers(), leftovers_);
    EXPECT_EQ(::GetFileAttributesW(InstallerMarker().c_str()), INVALID_FILE_ATTRIBUTES);
  }
  // Closing the offer starts nothing either.
  Loopback::Serve(
      L"offer.ini",
      Ini("version=9.0.0.2\r\nurl=" + Narrow(Loopback::Url(L"/download/big.exe")) + "\r\n"));
  Check check(Loopback::Url(L"/offer.ini"), L"1.0.0.1");
  const HWND dialog = check.Dialog();
  ASSERT_TRUE(dialog);
  ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(check.Finish(), 1);
  EXPECT_EQ(::GetFileAttributesW(InstallerMarker().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Renova, CancelEndsATricklingDownloadAtOnceAndTheModuleCanBeUnloaded) {
  // A copy of the module under a name of its own, so that its unloading can be seen.
  const std::wstring copy = win::FileBesideProgram(L"renova_cancel.dll");
  ASSERT_TRUE(::CopyFileW(win::FileBesideProgram(L"Renova.dll").c_str(), copy.c_str(), FALSE));
  HMODULE module = ::LoadLibraryW(copy.c_str());
  ASSERT_TRUE(module);
  // A byte a second: the whole would take seven weeks, and a read waiting for a block of it
  // would never end.
  Loopback::Serve(L"download\\big.exe", std::string(4 << 20, 'x'));
  const std::wstring url = Loopback::Url(L"/trickle/1000/download/big.exe");
  Loopback::Serve(L"offer.ini", Ini("version=9.0.0.2\r\nurl=" + Narrow(url) + "\r\n"));
  {
    Check check(Loopback::Url(L"/offer.ini"), L"1.0.0.1",
                win::GetExport<stashly::CheckForNewVersionFn>(module, "CheckForNewVersion"));
    const HWND dialog = check.Dialog();
    ASSERT_TRUE(dialog);
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return Text(dialog, 1003).find(L"已下载") == 0; }));
    const ULONGLONG cancelled = ::GetTickCount64();
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(check.Finish(), 1);
    const auto took = static_cast<long long>(::GetTickCount64() - cancelled);
    RecordProperty("cancel_ms", std::to_string(took));
    std::printf("the check returned %lld ms after the cancel\n", took);
  }
  ::FreeLibrary(module);
  EXPECT_FALSE(::GetModuleHandleW(L"renova_cancel.dll"));
  EXPECT_TRUE(::DeleteFileW(copy.c_str()));
  EXPECT_EQ(::GetFileAttributesW(InstallerMarker().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Renova, ADeadlineEndsADownloadThatTrickles) {
  // Four kilobytes at ten bytes a second would take seven minutes.
  Loopback::Serve(L"slow.ini", Ini("version=9.0.0.2\r\n") + std::string(4096, ';'));
  win::WebStop deadline;
  const ULONGLONG start = ::GetTickCount64();
  deadline.StopAt(start + 2000);
  DownloadOptions options;
  options.stop = &deadline;
  options.maxBytes = 1 << 20;
  EXPECT_FALSE(DownloadToMemory(Loopback::Url(L"/trickle/100/slow.ini").c_str(), options));
  EXPECT_TRUE(deadline.Stopped());
  std::printf("a 2000 ms deadline ended the download after %lld ms\n",
              static_cast<long long>(::GetTickCount64() - start));
}

}  // namespace
}  // namespace renova
