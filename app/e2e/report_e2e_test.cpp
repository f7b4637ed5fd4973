// The usage report of the real program, built with the loopback server as the maker's web server
// (loopback\Stashly.exe, with the real Corelet.dll beside it): once per start, never from a
// second instance, never when the user switched it off.
#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "abi/xunknown.h"
#include "store/settings_store.h"
#include "testing/e2e_support.h"
#include "testing/loopback.h"
#include "win/module.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

using namespace e2e;
using testing::Loopback;

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
  const std::string expected = "/stat.php?src=stashly&type=open&ver=1.0.0.1&userid=" + MachineId();
  // "usagereport" missing, or any value but 0: on.
  for (const DWORD* setting : {static_cast<const DWORD*>(nullptr), &kTwo, &kOne}) {
    SCOPED_TRACE(setting ? *setting : 999);
    KillStrays();
    Loopback::Clear();
    if (setting) WriteSettingDword(kUsageReportValue, *setting);
    Program program(LoopbackProgram());
    ASSERT_TRUE(program.WaitForWindow());
    ASSERT_TRUE(WaitFor([] { return !Reports().empty(); }));
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

}  // namespace
}  // namespace stashly
