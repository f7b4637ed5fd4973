// Clickwell.dll registered and unregistered by the system's regsvr32, and its exports and
// resources as a loader sees them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "context_menu/clickwell_ids.h"
#include "context_menu/tests/test_support.h"
#include "win/module.h"
#include "win/unique_any.h"

namespace clickwell::test {
namespace {

const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClickwellClassIdText;
const std::wstring kServerKey = kClassKey + L"\\InprocServer32";
const std::wstring kAppIdKey = std::wstring(L"AppID\\") + kAppIdText;
const std::wstring kDllAppIdKey = L"AppID\\Clickwell.DLL";
// Where the handler keys go, in the order of the script.
const std::wstring kHandlerParents[] = {L"*", L"Folder", L"Directory\\Background", L"Directory"};
const std::wstring kHandlers = L"\\ShellEx\\ContextMenuHandlers";
const std::wstring kUserClasses = L"Software\\Classes\\";
const std::wstring kMachineClasses = L"Software\\Classes\\";

std::wstring HandlerKey(const std::wstring& parent) {
  return parent + kHandlers + L"\\SimpleClickwell";
}

std::vector<std::wstring> AllKeys() {
  std::vector<std::wstring> keys = {kClassKey, kServerKey, kAppIdKey, kDllAppIdKey};
  for (const auto& parent : kHandlerParents) keys.push_back(HandlerKey(parent));
  return keys;
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }

  static void Clean() {
    const std::wstring dll = Quoted(ClickwellPath());
    RunRegsvr32(L"/s /u " + dll);
    RunRegsvr32(L"/s /u /n /i:user " + dll);
    DeleteTree(HKEY_CLASSES_ROOT, L"*" + kHandlers + L"\\OtherHandler");
  }

  static DWORD Register() { return RunRegsvr32(L"/s " + Quoted(ClickwellPath())); }
  static DWORD Unregister() { return RunRegsvr32(L"/s /u " + Quoted(ClickwellPath())); }
};

TEST_F(Registration, RegisterWritesTheClassTheAppIdAndFourHandlers) {
  ASSERT_EQ(Register(), 0u);

  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, kClassKey, nullptr), L"ClickwellClass Class");
  std::optional<std::wstring> module = ReadString(HKEY_CLASSES_ROOT, kServerKey, nullptr);
  ASSERT_TRUE(module);
  EXPECT_EQ(::lstrcmpiW(module->c_str(), ClickwellPath().c_str()), 0) << *module;
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, kServerKey, L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, kAppIdKey, nullptr), L"Clickwell");
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, kDllAppIdKey, L"AppID"), kAppIdText);
  for (const auto& parent : kHandlerParents)
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, HandlerKey(parent), nullptr), kClickwellClassIdText)
        << parent;

  // Machine-wide: nothing under the user's own classes.
  for (const auto& key : AllKeys()) {
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + key)) << key;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserClasses + key)) << key;
  }
}

TEST_F(Registration, RegisteringTwiceLeavesOneCleanSet) {
  ASSERT_EQ(Register(), 0u);
  // Leftovers of an older version under the keys that are rewritten whole.
  WriteString(HKEY_CLASSES_ROOT, kClassKey + L"\\Stray", nullptr, L"old");
  WriteString(HKEY_CLASSES_ROOT, kServerKey, nullptr, L"C:\\old\\Clickwell.dll");
  WriteString(HKEY_CLASSES_ROOT, kServerKey, L"Extra", L"old");
  WriteString(HKEY_CLASSES_ROOT, HandlerKey(L"*") + L"\\Stray", nullptr, L"old");
  ASSERT_EQ(Register(), 0u);

  EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT, kClassKey),
            std::vector<std::wstring>{L"InprocServer32"});
  std::vector<std::wstring> values = ValueNames(HKEY_CLASSES_ROOT, kServerKey);
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values, (std::vector<std::wstring>{L"", L"ThreadingModel"}));
  EXPECT_EQ(::lstrcmpiW(ReadString(HKEY_CLASSES_ROOT, kServerKey, nullptr).value_or(L"").c_str(),
                        ClickwellPath().c_str()),
            0);
  EXPECT_TRUE(SubkeyNames(HKEY_CLASSES_ROOT, HandlerKey(L"*")).empty());
  for (const auto& parent : kHandlerParents)
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, HandlerKey(parent), nullptr), kClickwellClassIdText);
}

TEST_F(Registration, UnregisterRemovesExactlyItsKeys) {
  WriteString(HKEY_CLASSES_ROOT, L"*" + kHandlers + L"\\OtherHandler", nullptr, L"{other}");
  ASSERT_EQ(Register(), 0u);
  ASSERT_EQ(Unregister(), 0u);

  for (const auto& key : AllKeys()) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
  const std::wstring kept[] = {L"AppID", L"CLSID", L"Directory\\Background"};
  for (const auto& key : kept) EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
  for (const auto& parent : kHandlerParents)
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, parent + kHandlers)) << parent;
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, L"*" + kHandlers + L"\\OtherHandler", nullptr),
            L"{other}");

  // Unregistering what is not registered is no failure.
  EXPECT_EQ(Unregister(), 0u);
}

TEST_F(Registration, DllInstallUserSwitchIsTheWholeWordInAnyCase) {
  const struct {
    const wchar_t* commandLine;
    bool perUser;
  } cases[] = {
      {L"user", true}, {L"USER", true}, {L"uSeR", true}, {L"username", false}, {L"use", false}};
  for (const auto& c : cases) {
    const std::wstring arguments =
        std::wstring(L"/n /i:") + c.commandLine + L" " + Quoted(ClickwellPath());
    ASSERT_EQ(RunRegsvr32(L"/s " + arguments), 0u) << c.commandLine;
    EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, kUserClasses + kServerKey), c.perUser) << c.commandLine;
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + kServerKey), !c.perUser)
        << c.commandLine;
    if (c.perUser) {
      for (const auto& key : AllKeys())
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserClasses + key)) << key;
    }

    ASSERT_EQ(RunRegsvr32(L"/s /u " + arguments), 0u) << c.commandLine;
    for (const auto& key : AllKeys()) {
      EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserClasses + key)) << c.commandLine << key;
      EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineClasses + key)) << c.commandLine << key;
    }
  }
}

class LoadedClickwell : public ::testing::Test {
 protected:
  void SetUp() override {
    module_.reset(::LoadLibraryW(ClickwellPath().c_str()));
    ASSERT_TRUE(module_);
  }
  void TearDown() override {
    if (auto unregister = Export<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer")) unregister();
  }

  template <typename Function>
  Function Export(const char* name) {
    return win::GetExport<Function>(module_.get(), name);
  }

  win::UniqueModule module_;
};

TEST_F(LoadedClickwell, ExportsTheFiveEntryPointsByPlainName) {
  for (const char* name : {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                           "DllUnregisterServer", "DllInstall"})
    EXPECT_TRUE(::GetProcAddress(module_.get(), name)) << name;
}

TEST_F(LoadedClickwell, RegistrationKeepsTheCallersThreadLocale) {
  auto registerServer = Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer");
  ASSERT_TRUE(registerServer);
  const LCID saved = ::GetThreadLocale();
  const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
  ASSERT_TRUE(::SetThreadLocale(german));
  EXPECT_EQ(registerServer(), S_OK);
  EXPECT_EQ(::GetThreadLocale(), german);
  ::SetThreadLocale(saved);
}

TEST_F(LoadedClickwell, ResourcesCarryTheBitmapNameAndVersion) {
  HRSRC bitmap = ::FindResourceW(module_.get(), MAKEINTRESOURCEW(201), MAKEINTRESOURCEW(2));
  ASSERT_TRUE(bitmap);
  const auto* info =
      static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(module_.get(), bitmap)));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->biWidth, 16);
  EXPECT_EQ(info->biHeight, 16);
  EXPECT_EQ(info->biBitCount, 24);

  wchar_t name[64] = {};
  EXPECT_EQ(::LoadStringW(module_.get(), 100, name, 64), 9);
  EXPECT_STREQ(name, L"Clickwell");

  for (UINT script : {101u, 102u})
    EXPECT_TRUE(::FindResourceW(module_.get(), MAKEINTRESOURCEW(script), L"REGISTRY")) << script;

  DWORD ignored = 0;
  const std::wstring path = ClickwellPath();
  std::vector<char> version(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
  ASSERT_FALSE(version.empty());
  ASSERT_TRUE(
      ::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  for (const wchar_t* field : {L"InternalName", L"OriginalFilename"}) {
    wchar_t* text = nullptr;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + field;
    ASSERT_TRUE(
        ::VerQueryValueW(version.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
        << field;
    EXPECT_STREQ(text, L"Clickwell.dll") << field;
  }
}

}  // namespace
}  // namespace clickwell::test
