// The setup as a user runs it, silently, in a fresh Wine prefix: install, the Explorer entry's
// "open", an install over the running program, the uninstall, an install folder with a Chinese
// name, the Windows 11 package, the settings switch of the installed program, and upgrades while
// Explorer holds the extension. The setup to test is named by STASHLY_SETUP (installer/run-tests).
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <span>
#include <string>

#include "app/command_ids.h"
#include "context_menu/clickwell_ids.h"
#include "context_menu/tests/test_support.h"
#include "store/favorites_file.h"
#include "store/names.h"
#include "store/settings_store.h"
#include "testing/e2e_support.h"
#include "testing/file_bytes.h"
#include "testing/powershell_probe.h"
#include "testing/process.h"
#include "win/com_ptr.h"
#include "win/file_version.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/text.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

using namespace e2e;
using win::testing::FileBytes;

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Stashly";
constexpr wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr wchar_t kPackageName[] = L"Norvane.Stashly";

std::wstring SetupProgram() {
  const char* setup = std::getenv("STASHLY_SETUP");
  return setup ? win::ToWide(setup, CP_UTF8) : std::wstring();
}

std::wstring DefaultFolder() {
  return win::SpecialFolderPath(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Stashly";
}

// Runs a command line to its end; its exit code, or ~0u.
DWORD Run(std::wstring command) {
  return win::testing::RunToEnd(std::move(command), 120000);
}

DWORD Install(const std::wstring& extra = L"") {
  return Run(L"\"" + SetupProgram() + L"\" /S" + extra);
}

bool Exists(const std::wstring& path) {
  return ::PathFileExistsW(path.c_str()) != FALSE;
}

std::wstring RegistryText(const wchar_t* key, const wchar_t* name) {
  std::wstring value;
  return ReadSettingString(key, name, value) ? value : std::wstring(L"<none>");
}

DWORD RegistryNumber(const wchar_t* key, const wchar_t* name) {
  DWORD value = 0, size = sizeof value, type = 0;
  ::SHGetValueW(HKEY_CURRENT_USER, key, name, &type, &value, &size);
  return value;
}

bool KeyExists(const std::wstring& key) {
  win::UniqueHkey handle;
  return ::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, handle.put()) ==
         ERROR_SUCCESS;
}

// The uninstaller copies itself away and runs from there: wait for its work to be done. The
// folder goes (unless something in it is held) before the settings it cleans up; its own
// uninstall entry goes last.
bool Uninstall(const std::wstring& folder, bool folderGoes = true) {
  if (Run(L"\"" + folder + L"\\uninstall.exe\" /S") != 0) return false;
  return WaitFor([&] { return !(folderGoes && Exists(folder)) && !KeyExists(kUninstallKey); },
                 30000);
}

std::wstring StartMenuShortcut() {
  return win::SpecialFolderPath(CSIDL_PROGRAMS) + L"\\" + kMainWindowTitle + L".lnk";
}
std::wstring StartupShortcut() {
  return win::SpecialFolderPath(CSIDL_STARTUP) + L"\\Stashly.lnk";
}
std::wstring ClassKey() {
  return std::wstring(L"Software\\Classes\\CLSID\\") + clickwell::kClickwellClassIdText;
}

// The Explorer entry's "open", as Explorer calls it: through the class the setup registered for
// this user. Windows's COM looks the class up in the user's HKCU\Software\Classes before the
// machine's; Wine's reads only the machine's, so where CoCreateInstance cannot see a per-user class
// the test takes the same steps COM takes on Windows: the server the user's registration names,
// loaded, asked for its class object.
HRESULT CreateMenu(win::ComPtr<IContextMenu>& menu, win::UniqueModule& server) {
  HRESULT hr = ::CoCreateInstance(clickwell::kClickwellClassId, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IContextMenu, menu.put_void());
  if (hr != REGDB_E_CLASSNOTREG) return hr;
  std::wstring path;
  if (!ReadSettingString((ClassKey() + L"\\InprocServer32").c_str(), nullptr, path))
    return REGDB_E_CLASSNOTREG;
  server.reset(::LoadLibraryW(path.c_str()));
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get = win::GetExport<GetClassObject>(server.get(), "DllGetClassObject");
  if (!get) return CO_E_DLLNOTFOUND;
  win::ComPtr<IClassFactory> factory;
  hr = get(clickwell::kClickwellClassId, IID_IClassFactory, factory.put_void());
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(nullptr, IID_IContextMenu, menu.put_void());
}

// The extension is let go of afterwards, so that the uninstall can delete it.
HRESULT OpenThroughTheExtension() {
  HRESULT hr;
  {
    win::UniqueModule server;
    win::ComPtr<IContextMenu> menu;
    hr = CreateMenu(menu, server);
    if (FAILED(hr)) return hr;
    clickwell::test::FillMenu(menu.get());
    hr = clickwell::test::InvokeOffset(menu.get(), 0);
  }
  ::CoFreeUnusedLibrariesEx(0, 0);
  return hr;
}

bool ValueExists(const wchar_t* key, const wchar_t* name) {
  return ::SHGetValueW(HKEY_CURRENT_USER, key, name, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// The Windows build number the system reports, in both registry views, put back afterwards.
class BuildNumberAs {
 public:
  explicit BuildNumberAs(const std::wstring& build) {
    for (int i = 0; i < 2; ++i) {
      if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | kViews[i],
                          keys_[i].put()) != ERROR_SUCCESS)
        continue;
      wchar_t value[32] = {};
      DWORD size = sizeof value - sizeof(wchar_t);
      ::RegQueryValueExW(keys_[i].get(), kName, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                         &size);
      old_[i] = value;
      Set(keys_[i].get(), build);
    }
  }
  ~BuildNumberAs() {
    for (int i = 0; i < 2; ++i)
      if (keys_[i]) Set(keys_[i].get(), old_[i]);
  }

 private:
  static void Set(HKEY key, const std::wstring& text) {
    ::RegSetValueExW(key, kName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  static constexpr wchar_t kKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  static constexpr wchar_t kName[] = L"CurrentBuildNumber";
  static constexpr REGSAM kViews[2] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
  win::UniqueHkey keys_[2];
  std::wstring old_[2];
};

class Installer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { ::CoUninitialize(); }
  void SetUp() override {
    ASSERT_TRUE(Exists(SetupProgram())) << "STASHLY_SETUP";
    if (const char* acp = std::getenv("STASHLY_EXPECT_ACP")) {
      ASSERT_EQ(::GetACP(), static_cast<UINT>(std::atoi(acp))) << "the code page asked for";
    }
  }
};

TEST_F(Installer, InstallOpenUpgradeAndUninstall) {
  const std::wstring folder = DefaultFolder();
  ASSERT_EQ(Install(), 0u);

  // Everything in place.
  for (const wchar_t* file :
       {L"Stashly.exe", L"Pictora.dll", L"Corelet.dll", L"Renova.dll", L"Clickwell.dll",
        L"config\\main.xml", L"config\\set.xml", L"config\\close.xml", L"uninstall.exe",
        L"Stashly.msix", L"Assets\\StoreLogo.png", L"Assets\\Square150x150Logo.png",
        L"Assets\\Square44x44Logo.png"})
    EXPECT_TRUE(Exists(folder + L"\\" + file)) << file;
  EXPECT_EQ(RegistryText(kSettingsKey, kInstallPathValue), folder + L"\\Stashly.exe");
  EXPECT_EQ(RegistryNumber(kSettingsKey, kRightMenuValue), 1u);
  // The Explorer entry, registered for this user only.
  EXPECT_EQ(RegistryText((ClassKey() + L"\\InprocServer32").c_str(), nullptr),
            folder + L"\\Clickwell.dll");
  EXPECT_TRUE(KeyExists(L"Software\\Classes\\*\\ShellEx\\ContextMenuHandlers\\SimpleClickwell"));
  EXPECT_TRUE(Exists(StartMenuShortcut()));
  EXPECT_FALSE(Exists(StartupShortcut()));
  // "Apps & features".
  const std::wstring version =
      win::FileVersionText((folder + L"\\Stashly.exe").c_str()).value_or(L"?");
  EXPECT_EQ(RegistryText(kUninstallKey, L"DisplayName"), kMainWindowTitle);
  EXPECT_EQ(RegistryText(kUninstallKey, L"DisplayVersion"), version);
  EXPECT_EQ(RegistryText(kUninstallKey, L"Publisher"), L"Norvane");
  EXPECT_EQ(RegistryText(kUninstallKey, L"DisplayIcon"), folder + L"\\Stashly.exe,0");
  EXPECT_EQ(RegistryText(kUninstallKey, L"InstallLocation"), folder);
  EXPECT_EQ(RegistryText(kUninstallKey, L"UninstallString"), L"\"" + folder + L"\\uninstall.exe\"");
  EXPECT_EQ(RegistryText(kUninstallKey, L"QuietUninstallString"),
            L"\"" + folder + L"\\uninstall.exe\" /S");
  EXPECT_GT(RegistryNumber(kUninstallKey, L"EstimatedSize"), 500u);  // KB
  EXPECT_EQ(RegistryNumber(kUninstallKey, L"NoModify"), 1u);
  EXPECT_EQ(RegistryNumber(kUninstallKey, L"NoRepair"), 1u);

  // The Explorer entry's "open" starts the installed program.
  ASSERT_TRUE(WriteFavoritesFile(FavoritesFilePath(), {L"C:\\windows", L"C:\\收藏 & 资料"}));
  WriteSettingDword(kAutoHideValue, 0);
  EXPECT_EQ(OpenThroughTheExtension(), S_OK);
  HWND running = nullptr;
  ASSERT_TRUE(
      WaitFor([&] { return (running = ::FindWindowW(nullptr, kMainWindowTitle)) != nullptr; },
              kStartTimeoutMs));
  DWORD pid = 0;
  ::GetWindowThreadProcessId(running, &pid);
  win::UniqueHandle program(
      ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  wchar_t image[MAX_PATH] = {};
  DWORD length = MAX_PATH;
  ::QueryFullProcessImageNameW(program.get(), 0, image, &length);
  EXPECT_EQ(::lstrcmpiW(image, (folder + L"\\Stashly.exe").c_str()), 0) << image;

  // Installed again over the running program (with start-with-Windows this time): it is asked to
  // exit, the files are replaced (a lost skin file comes back), the favourites are untouched.
  const std::string before = FileBytes(FavoritesFilePath());
  ASSERT_TRUE(::DeleteFileW((folder + L"\\config\\set.xml").c_str()));
  ASSERT_EQ(Install(L" /STARTUP"), 0u);
  EXPECT_TRUE(Exists(folder + L"\\config\\set.xml"));
  EXPECT_EQ(::WaitForSingleObject(program.get(), 10000), WAIT_OBJECT_0) << "the program exited";
  EXPECT_EQ(::FindWindowW(nullptr, kMainWindowTitle), nullptr);
  EXPECT_TRUE(Exists(folder + L"\\Stashly.exe"));
  EXPECT_TRUE(Exists(StartupShortcut()));
  EXPECT_EQ(FileBytes(FavoritesFilePath()), before) << "the favourites are the same, byte for byte";

  // Uninstalled: nothing of ours is left but the user's favourites and settings.
  ASSERT_TRUE(Uninstall(folder));
  EXPECT_FALSE(Exists(StartMenuShortcut()));
  EXPECT_FALSE(Exists(StartupShortcut()));
  EXPECT_EQ(RegistryText(kSettingsKey, kInstallPathValue), L"<none>");
  EXPECT_FALSE(KeyExists(kUninstallKey));
  EXPECT_FALSE(KeyExists(ClassKey()));
  EXPECT_FALSE(KeyExists(L"Software\\Classes\\*\\ShellEx\\ContextMenuHandlers\\SimpleClickwell"));
  EXPECT_TRUE(Exists(FavoritesFilePath()));
  EXPECT_EQ(RegistryNumber(kSettingsKey, kAutoHideValue), 0u);
  EXPECT_TRUE(KeyExists(kSettingsKey));
}

TEST_F(Installer, InstallsIntoAFolderWithAChineseName) {
  const std::wstring folder = win::SpecialFolderPath(CSIDL_LOCAL_APPDATA) + L"\\程序 收藏\\Stashly";
  ASSERT_EQ(Install(L" /D=" + folder), 0u);
  EXPECT_TRUE(Exists(folder + L"\\Stashly.exe"));
  EXPECT_EQ(RegistryText(kSettingsKey, kInstallPathValue), folder + L"\\Stashly.exe");
  EXPECT_EQ(RegistryText((ClassKey() + L"\\InprocServer32").c_str(), nullptr),
            folder + L"\\Clickwell.dll");
  // It runs from there.
  WriteSettingDword(kAutoHideValue, 0);
  Program program(folder + L"\\Stashly.exe");
  EXPECT_TRUE(program.WaitForWindow());
  KillStrays();
  ASSERT_TRUE(Uninstall(folder));
  ::RemoveDirectoryW(win::ParentFolder(folder).c_str());
}

enum class Action { kInstall, kUninstall, kSwitch };

// One step of a table: what is done, and the Explorer entries as they are afterwards.
struct Step {
  const char* state;  // the state before, for the failure message
  Action action;
  bool powerShell;  // the stand-in PowerShell is in place
  DWORD packages;   // packages this user has registered afterwards
  bool classic;     // the classic extension is registered for this user afterwards
  DWORD rightMenu;  // "rightmenu" afterwards
};

// Ticks the installed program's "右键菜单" box and applies it, as a user does.
void FlipExplorerMenuSwitch(const std::wstring& folder) {
  Program program(folder + L"\\Stashly.exe");
  HWND main = program.WaitForWindow();
  ASSERT_TRUE(main);
  HWND dialog = OpenSettings(main);
  ASSERT_TRUE(dialog);
  Click(dialog, ID_SET_RIGHTMENU);
  Click(dialog, ID_CONFIRM_BUTTON);
  ASSERT_TRUE(WaitForGone(dialog));
}

// Runs the steps in order, each from the state the one before left, and checks each. The
// classic extension is looked for where a per-user registration puts it, and where a machine-wide
// one would (which must never happen).
void RunSteps(const std::wstring& folder, std::span<const Step> steps) {
  for (const Step& step : steps) {
    SCOPED_TRACE(step.state);
    ASSERT_TRUE(win::testing::PlacePowerShellProbe(
        step.powerShell ? win::FileBesideProgram(L"powershell_probe.exe") : std::wstring()));
    switch (step.action) {
      case Action::kInstall:
        ASSERT_EQ(Install(L" /D=" + folder), 0u);
        break;
      case Action::kUninstall:
        ASSERT_TRUE(Uninstall(folder));
        break;
      case Action::kSwitch:
        FlipExplorerMenuSwitch(folder);
        break;
    }
    // The switch leaves regsvr32 running.
    EXPECT_TRUE(WaitFor([&] { return KeyExists(ClassKey()) == step.classic; }, 30000));
    EXPECT_FALSE(clickwell::test::KeyExists(HKEY_LOCAL_MACHINE, ClassKey()));
    EXPECT_EQ(win::testing::RegisteredPackageCount(), step.packages);
    if (step.action != Action::kUninstall) {
      EXPECT_EQ(RegistryNumber(kSettingsKey, kRightMenuValue), step.rightMenu);
    }
    KillStrays();
  }
}

// Windows 11: the setup registers the signed package for the user through the system's
// PowerShell, which (as the stand-in does) refuses a version that is already registered, and
// leaves the classic extension unregistered; the uninstall removes the package whatever the
// settings say. Where PowerShell does not add it (here: there is none), the classic extension.
TEST_F(Installer, OnWindows11ThePackageIsRegisteredOnceElseTheClassicExtension) {
  BuildNumberAs windows11(L"22631");
  const std::wstring base = win::SpecialFolderPath(CSIDL_LOCAL_APPDATA);
  const std::wstring folder = base + L"\\O'Brien\x2019s\\Stashly";
  const std::wstring literal = L"'" + base + L"\\O''Brien\x2019\x2019s\\Stashly";
  ::DeleteFileW(win::testing::PowerShellProbeLogPath().c_str());
  win::testing::ForgetPackage(kPackageName);

  const Step installs[] = {
      {"fresh install", Action::kInstall, true, 1, false, 1},
      {"reinstall of the same version with the package registered", Action::kInstall, true, 1,
       false, 1},
  };
  RunSteps(folder, installs);
  EXPECT_TRUE(Exists(folder + L"\\Stashly.msix"));
  EXPECT_EQ(win::testing::RegisteredPackageVersion(kPackageName),
            win::FileVersionText((folder + L"\\Stashly.exe").c_str()).value_or(L"?"));
  EXPECT_EQ(RegistryNumber(kSettingsKey, kExplorerPackageValue), 1u);
  const std::wstring log = win::testing::PowerShellProbeLog();
  EXPECT_NE(log.find(L"-Command \"Get-AppxPackage -Name 'Norvane.Stashly' | Remove-AppxPackage "
                     L"-ErrorAction Stop; Add-AppxPackage -ErrorAction Stop "
                     L"-ForceApplicationShutdown -Path " +
                     literal + L"\\Stashly.msix' -ExternalLocation " + literal + L"'\""),
            std::wstring::npos)
      << win::ToNarrow(log, CP_UTF8);

  // An older setup recorded no package although it had registered one.
  WriteSettingDword(kExplorerPackageValue, 0);
  const Step fallback[] = {
      {"uninstall with explorerpackage 0", Action::kUninstall, true, 0, false, 1},
      {"install where PowerShell cannot add the package", Action::kInstall, false, 0, true, 1},
  };
  RunSteps(folder, fallback);

  // The menu switched off, and a package an older version left registered.
  WriteSettingDword(kRightMenuValue, 0);
  win::testing::RecordPackage(kPackageName, L"1.0.0.0");
  const Step off[] = {
      {"upgrade with the menu off", Action::kInstall, true, 0, false, 0},
      {"uninstall with the menu off", Action::kUninstall, true, 0, false, 0},
  };
  RunSteps(folder, off);
  EXPECT_FALSE(ValueExists(kSettingsKey, kExplorerPackageValue));
  WriteSettingDword(kRightMenuValue, 1);
  ::RemoveDirectoryW(win::ParentFolder(folder).c_str());
  ASSERT_TRUE(win::testing::PlacePowerShellProbe({}));
}

// The settings switch of the installed program registers and unregisters the real extension for
// this user, through the 64-bit regsvr32 and without elevation, and an upgrade keeps the user's
// choice.
TEST_F(Installer, SettingsSwitchIsPerUserAndAnUpgradeKeepsItsChoice) {
  WriteSettingDword(kAutoHideValue, 0);
  const Step steps[] = {
      {"not installed", Action::kInstall, false, 0, true, 1},
      {"installed, menu on", Action::kSwitch, false, 0, false, 0},
      {"menu switched off", Action::kInstall, false, 0, false, 0},
      {"upgraded with the menu off", Action::kSwitch, false, 0, true, 1},
      {"menu switched on again", Action::kInstall, false, 0, true, 1},
      {"upgraded with the menu on", Action::kUninstall, false, 0, false, 1},
  };
  RunSteps(DefaultFolder(), steps);
}

// A held DLL, as Explorer holds the extension after a right-click: started with the DLL's path,
// it has loaded the DLL once the constructor returns (or failed the test). Ended with the scope.
class DllHolder {
 public:
  explicit DllHolder(const std::wstring& dll) {
    static int count = 0;
    const std::wstring name = L"StashlyDllHolder" + std::to_wstring(::GetCurrentProcessId()) +
                              L"." + std::to_wstring(++count);
    win::UniqueHandle loaded(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    process_ = win::testing::StartProcess(L"\"" + win::FileBesideProgram(L"dll_holder.exe") +
                                          L"\" \"" + dll + L"\" " + name);
    const HANDLE waits[] = {loaded.get(), process_.get()};
    EXPECT_TRUE(process_ && ::WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0)
        << "the holder did not load " << win::ToNarrow(dll, CP_UTF8);
  }
  ~DllHolder() {
    if (!process_) return;
    ::TerminateProcess(process_.get(), 0);
    ::WaitForSingleObject(process_.get(), 10000);
  }

 private:
  win::UniqueHandle process_;
};

// Neither loaded by anyone nor missing: a file that can be opened for writing.
bool Replaceable(const std::wstring& path) {
  return bool(win::UniqueFile(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
}

// Two upgrades and the uninstall while one process holds the first extension and another the
// second: each upgrade installs a fresh extension beside the held ones (moved aside), the
// uninstall succeeds, and the next logon's clean-up leaves nothing.
TEST_F(Installer, UpgradesAndUninstallsWhileTheExtensionIsHeld) {
  const std::wstring folder = DefaultFolder();
  const std::wstring dll = folder + L"\\Clickwell.dll";
  ASSERT_EQ(Install(), 0u);
  EXPECT_FALSE(ValueExists(kRunOnceKey, L"StashlyCleanup"));
  {
    DllHolder first(dll);
    ASSERT_FALSE(Replaceable(dll));
    ASSERT_EQ(Install(), 0u);
    EXPECT_TRUE(Replaceable(dll));
    EXPECT_TRUE(Exists(dll + L".1.old"));
    DllHolder second(dll);
    ASSERT_EQ(Install(), 0u);
    EXPECT_TRUE(Replaceable(dll));
    EXPECT_TRUE(Exists(dll + L".2.old"));
    EXPECT_EQ(RegistryText((ClassKey() + L"\\InprocServer32").c_str(), nullptr), dll);

    ASSERT_TRUE(Uninstall(folder, false));
    EXPECT_FALSE(KeyExists(ClassKey()));
    for (const wchar_t* file : {L"Stashly.exe", L"Clickwell.dll", L"uninstall.exe", L"config"})
      EXPECT_FALSE(Exists(folder + L"\\" + file)) << file;
  }
  // The next logon runs the entry once (and Windows deletes it first).
  const std::wstring cleanup = RegistryText(kRunOnceKey, L"StashlyCleanup");
  ASSERT_NE(cleanup, L"<none>");
  ::SHDeleteValueW(HKEY_CURRENT_USER, kRunOnceKey, L"StashlyCleanup");
  EXPECT_EQ(win::testing::RunToEnd(cleanup, 120000), 0u);
  EXPECT_FALSE(Exists(folder)) << "left: " << win::ToNarrow(cleanup, CP_UTF8);
}

}  // namespace
}  // namespace stashly
