// The real program built with the loopback server as the maker's web server (loopback\Stashly.exe,
// with the real Corelet.dll and Renova.dll beside it): the usage report, once per start and
// never when the user switched it off; the update check, once per start, up to a started
// installer of the module's own publisher (both are signed at test time), a changed installer
// refused, and an exit that does not wait for a slow server.
#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "abi/xunknown.h"
#include "stashly_version.h"
#include "store/settings_store.h"
#include "testing/display_scale.h"
#include "testing/e2e_screen.h"
#include "testing/e2e_support.h"
#include "testing/file_bytes.h"
#include "testing/loopback.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

using namespace e2e;
using testing::Loopback;
using win::testing::FileBytes;

constexpr DWORD kOne = 1, kTwo = 2;

std::wstring LoopbackProgram() {
  return win::FileBesideProgram(L"loopback\\Stashly.exe");
}

std::vector<std::string> Reports() {
  std::vector<std::string> reports;
  for (const auto& request : Loopback::Requests())
    if (request.path.rfind("/stat.php?", 0) == 0) reports.push_back(request.path);
  return reports;
}

// This machine's id as the library beside the program makes it.
std::string MachineId() {
  win::UniqueModule library(
      ::LoadLibraryW(win::FileBesideProgram(L"loopback\\Corelet.dll").c_str()));
  const auto create = win::GetExport<CreateInstanceFn>(library.get(), "CreateInstance");
  if (!create) return "<no library>";
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  char id[33] = {};
  if (auto* registrar = static_cast<IRegister*>(create(&IID_IRegister))) {
    registrar->GetMachineId(id);
    registrar->Release();
  }
  ::CoUninitialize();
  return id;
}

bool LoadsModule(HANDLE process, const wchar_t* name) {
  win::UniqueFile snapshot(
      ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, ::GetProcessId(process)));
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Module32FirstW(snapshot.get(), &entry); more;
       more = ::Module32NextW(snapshot.get(), &entry))
    if (::lstrcmpiW(entry.szModule, name) == 0) return true;
  return false;
}

class ReportE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Loopback::Port(), 0);
    KillStrays();
    ::SHDeleteValueW(HKEY_CURRENT_USER, kSettingsKey, kUsageReportValue);
    WriteSettingDword(kAutoHideValue, 0);
    Loopback::Clear();
  }
  void TearDown() override {
    KillStrays();
    ::SHDeleteValueW(HKEY_CURRENT_USER, kSettingsKey, kUsageReportValue);
  }
};

// (That a second instance reports nothing is shown with stand-in libraries that record every
// call as it is made: SecondStartMakesNoCallsIntoTheLibraries.)
TEST_F(ReportE2e, EachStartReportsExactlyOnce) {
  const std::string expected =
      "/stat.php?src=stashly&type=open&ver=" STASHLY_VERSION_TEXT "&userid=" + MachineId();
  // "usagereport" missing, or any value but 0: on.
  for (const DWORD* setting : {static_cast<const DWORD*>(nullptr), &kTwo, &kOne}) {
    SCOPED_TRACE(setting ? *setting : 999);
    KillStrays();
    Loopback::Clear();
    if (setting) WriteSettingDword(kUsageReportValue, *setting);
    Program program(LoopbackProgram());
    const HWND main = program.WaitForWindow();
    ASSERT_TRUE(main);
    ASSERT_TRUE(WaitFor([] { return !Reports().empty(); }));
    // Anyone may ask the window for a report again; the start has been reported.
    for (int i = 0; i < 2; ++i) ::PostMessageW(main, WM_USER + 1, 0, 0);
    ::Sleep(1000);
    EXPECT_EQ(Reports(), std::vector<std::string>{expected});
    for (const auto& request : Loopback::Requests())
      EXPECT_TRUE(request.path != expected || request.agent == "Mircrosoft Internet Explorer");
  }
}

TEST_F(ReportE2e, SwitchedOffNothingIsSentAndTheLibraryIsNotLoaded) {
  WriteSettingDword(kUsageReportValue, 0);
  Program program(LoopbackProgram());
  ASSERT_TRUE(program.WaitForWindow());
  // A report goes out within a moment of the window's start when it is on (above).
  ::Sleep(1500);
  EXPECT_TRUE(Reports().empty());
  EXPECT_TRUE(LoadsModule(program.handle(), L"Pictora.dll")) << "the module list is readable";
  EXPECT_FALSE(LoadsModule(program.handle(), L"Corelet.dll"));
}

int IniRequests() {
  int count = 0;
  for (const auto& request : Loopback::Requests()) count += request.path == "/download/update.ini";
  return count;
}

// The visible top-level window titled `title` that belongs to `process`.
HWND WindowOf(HANDLE process, const wchar_t* title) {
  HWND found = nullptr;
  WaitFor([&] {
    for (HWND w : WindowsTitled(title)) {
      DWORD pid = 0;
      ::GetWindowThreadProcessId(w, &pid);
      if (pid == ::GetProcessId(process) && ::IsWindowVisible(w)) found = w;
    }
    return found != nullptr;
  });
  return found;
}

// Names in the temporary folder that match `pattern`: the update module's temporary files
// ("ren*.tmp"), its installers' folders ("renova-*").
std::vector<std::wstring> TemporaryNames(const wchar_t* pattern) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  win::UniqueFind search(::FindFirstFileW((std::wstring(temp) + pattern).c_str(), &found));
  for (bool more = bool(search); more; more = ::FindNextFileW(search.get(), &found))
    names.push_back(found.cFileName);
  return names;
}

class UpdateE2e : public ReportE2e {
 protected:
  void SetUp() override {
    ReportE2e::SetUp();
    ::DeleteFileW(InstallerMarker().c_str());
  }
  void TearDown() override {
    ReportE2e::TearDown();
    // Every other start of the program must find no news.
    for (const wchar_t* name : {L"download\\update.ini", L"download\\update.ini.delay"})
      ::DeleteFileW(Loopback::ServedFile(name).c_str());
  }
  static std::wstring InstallerMarker() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"renova_test_installer.txt";
  }
};

// The installer beside the program, signed by the publisher of the update module beside it.
std::string SignedInstaller() {
  return FileBytes(win::FileBesideProgram(L"loopback\\test_installer.exe"));
}

void OfferInstaller(const std::string& bytes) {
  Loopback::Serve(L"download\\setup.exe", bytes);
  const std::wstring url = Loopback::Url(L"/download/setup.exe");
  Loopback::Serve(L"download\\update.ini", "[stashly]\r\nversion=9.0.0.0\r\nurl=" +
                                               std::string(url.begin(), url.end()) + "\r\n");
}

TEST_F(UpdateE2e, EachStartChecksOnceAndANewerVersionEndsInTheStartedInstaller) {
  OfferInstaller(SignedInstaller());
  Program program(LoopbackProgram());
  const HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  const HWND offer = WindowOf(program.handle(), L"升级");
  ASSERT_TRUE(offer) << "the newer version is offered";
  EXPECT_EQ(IniRequests(), 1);
  ::PostMessageW(offer, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor(
      [&] { return ::GetFileAttributesW(InstallerMarker().c_str()) != INVALID_FILE_ATTRIBUTES; },
      30000));
  EXPECT_TRUE(WaitForGone(offer));
  // The update module leaves the program running; nothing checks a second time.
  EXPECT_TRUE(::IsWindow(main));
  EXPECT_EQ(IniRequests(), 1);
  // The installer, once it has ended, and its folder go with the test.
  const std::string ran = FileBytes(InstallerMarker());
  const std::wstring installer(reinterpret_cast<const wchar_t*>(ran.data()),
                               ran.size() / sizeof(wchar_t));
  EXPECT_TRUE(WaitFor([&] { return ::DeleteFileW(installer.c_str()) != FALSE; }));
  EXPECT_TRUE(::RemoveDirectoryW(win::ParentFolder(installer).c_str()));
  ::DeleteFileW(InstallerMarker().c_str());
}

TEST_F(UpdateE2e, TheOfferIsLaidOutForTheDisplayScale) {
  const std::wstring url = Loopback::Url(L"/download/setup.exe");
  Loopback::Serve(L"download\\update.ini", "[stashly]\r\nversion=9.0.0.0\r\nurl=" +
                                               std::string(url.begin(), url.end()) + "\r\n");
  // Laid out in dialog units of its font, which the system makes for the DPI: twice as large at
  // 200 %, give or take what the font's own metrics round.
  LONG widths[2] = {};
  const UINT scales[2] = {96, 192};
  for (int i = 0; i < 2; ++i) {
    stashly::testing::DisplayScale scale(scales[i]);
    Program program(LoopbackProgram());
    ASSERT_TRUE(program.WaitForWindow());
    const HWND offer = WindowOf(program.handle(), L"升级");
    ASSERT_TRUE(offer) << scales[i];
    RECT client{};
    ::GetClientRect(offer, &client);
    widths[i] = client.right;
    if (scales[i] != 96) {
      ::Sleep(300);
      ::CoInitialize(nullptr);
      EXPECT_TRUE(Screenshot(offer).SavePng(ArtefactPath(L"update_dialog_192.png")));
      ::CoUninitialize();
    }
    ::PostMessageW(offer, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitForGone(offer));
    KillStrays();
  }
  EXPECT_NEAR(static_cast<double>(widths[1]) / widths[0], 2.0, 0.2)
      << widths[0] << " " << widths[1];
}

TEST_F(UpdateE2e, AnInstallerChangedOnTheWayIsDeletedAndTheUserIsTold) {
  std::string changed = SignedInstaller();
  changed[changed.size() / 2] ^= 1;
  OfferInstaller(changed);
  const std::vector<std::wstring> folders = TemporaryNames(L"renova-*");
  Program program(LoopbackProgram());
  const HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  const HWND offer = WindowOf(program.handle(), L"升级");
  ASSERT_TRUE(offer);
  ::PostMessageW(offer, WM_COMMAND, IDOK, 0);
  // The question line (id -1) gives way to the one line that says what happened.
  const auto told = [&] {
    for (HWND child = ::GetWindow(offer, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      wchar_t text[64] = {};
      ::GetWindowTextW(child, text, 64);
      if (std::wstring(text) == L"安装程序的签名无效，已删除。") return true;
    }
    return false;
  };
  EXPECT_TRUE(WaitFor(told, 30000));
  EXPECT_EQ(TemporaryNames(L"renova-*"), folders) << "deleted with its folder";
  ::PostMessageW(offer, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitForGone(offer));
  EXPECT_EQ(::GetFileAttributesW(InstallerMarker().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(::IsWindow(main));
}

TEST_F(UpdateE2e, ExitWhileTheCheckWaitsForASlowServerEndsAtOnce) {
  Loopback::Serve(L"download\\update.ini", "[stashly]\r\nversion=9.0.0.0\r\n");
  Loopback::Serve(L"download\\update.ini.delay", "8000");
  const std::vector<std::wstring> before = TemporaryNames(L"ren*.tmp");
  Program program(LoopbackProgram());
  const HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  ASSERT_TRUE(WaitFor([] { return IniRequests() == 1; }));
  ::PostMessageW(main, WM_COMMAND, IDOK, 0);  // the exit command
  EXPECT_EQ(program.WaitForExit(5000), 1);
  // The INI is read from memory: the exit left no temporary copy behind.
  EXPECT_EQ(TemporaryNames(L"ren*.tmp"), before);
}

}  // namespace
}  // namespace stashly
