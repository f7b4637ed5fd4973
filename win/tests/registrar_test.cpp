// The registrar's rules against the real registry, on a private key of the current user.
#include "win/registrar.h"

#include <gtest/gtest.h>

#include <string>

#include "win/unique_any.h"

namespace win {
namespace {

constexpr wchar_t kBase[] = L"Software\\StashlyRegistrarTest";

bool Exists(HKEY root, const std::wstring& path) {
  UniqueHkey key;
  return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::wstring Read(const std::wstring& path, const wchar_t* name) {
  wchar_t buffer[256] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  if (::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
    return L"<missing>";
  return buffer;
}

void Write(const std::wstring& path, const wchar_t* name, const wchar_t* value) {
  UniqueHkey key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              key.put(), nullptr),
            ERROR_SUCCESS);
  ::RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

RegistryScript Parse(const char* text) {
  RegistryScriptParse parsed = ParseRegistryScript(text, {{L"NAME", L"Replaced"}});
  EXPECT_TRUE(parsed.ok()) << parsed.error;
  return parsed.script;
}

class Registrar : public ::testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kBase);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\StashlyRegistrarTest");
  }

  static std::wstring Path(const wchar_t* relative) {
    return std::wstring(kBase) + L"\\" + relative;
  }
};

const char kScript[] =
    "HKCU { NoRemove Software { NoRemove StashlyRegistrarTest {\n"
    "  NoRemove Kept { val Ours = s 'ours' Plain = s 'p' { Inner = s 'i' } }\n"
    "  Shared = s 's' { Mine = s 'm' }\n"
    "  ForceRemove Forced = s '%NAME%' { Child { val V = s 'v' } }\n"
    "} } }";

TEST_F(Registrar, RegisterWritesEveryKeyAndValue) {
  ASSERT_EQ(ApplyRegistryScript(Parse(kScript), RegistrarMode::kRegister, false), S_OK);
  EXPECT_EQ(Read(Path(L"Kept"), L"Ours"), L"ours");
  EXPECT_EQ(Read(Path(L"Kept\\Plain"), nullptr), L"p");
  EXPECT_EQ(Read(Path(L"Kept\\Plain\\Inner"), nullptr), L"i");
  EXPECT_EQ(Read(Path(L"Shared"), nullptr), L"s");
  EXPECT_EQ(Read(Path(L"Forced"), nullptr), L"Replaced");
  EXPECT_EQ(Read(Path(L"Forced\\Child"), L"V"), L"v");
}

TEST_F(Registrar, ForceRemoveWipesOnlyItsOwnKey) {
  Write(Path(L"Forced\\Old"), nullptr, L"old");
  Write(Path(L"Forced"), L"OldValue", L"old");
  Write(Path(L"Kept\\Foreign"), nullptr, L"theirs");
  ASSERT_EQ(ApplyRegistryScript(Parse(kScript), RegistrarMode::kRegister, false), S_OK);
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, Path(L"Forced\\Old")));
  EXPECT_EQ(Read(Path(L"Forced"), L"OldValue"), L"<missing>");
  EXPECT_EQ(Read(Path(L"Kept\\Foreign"), nullptr), L"theirs");
}

TEST_F(Registrar, UnregisterKeepsNoRemoveKeysAndKeysOthersUse) {
  ASSERT_EQ(ApplyRegistryScript(Parse(kScript), RegistrarMode::kRegister, false), S_OK);
  Write(Path(L"Kept"), L"Theirs", L"t");
  Write(Path(L"Shared\\Theirs"), nullptr, L"t");
  ASSERT_EQ(ApplyRegistryScript(Parse(kScript), RegistrarMode::kUnregister, false), S_OK);

  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, Path(L"Kept")));
  EXPECT_EQ(Read(Path(L"Kept"), L"Ours"), L"<missing>");
  EXPECT_EQ(Read(Path(L"Kept"), L"Theirs"), L"t");
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, Path(L"Kept\\Plain")));
  // Another program's sub-key keeps a plain key alive; ours under it is gone.
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, Path(L"Shared\\Theirs")));
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, Path(L"Shared\\Mine")));
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, Path(L"Forced")));
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, kBase));

  // Gone already: nothing to do, no failure.
  EXPECT_EQ(ApplyRegistryScript(Parse(kScript), RegistrarMode::kUnregister, false), S_OK);
}

TEST_F(Registrar, PerUserClassesRedirectsTheClassesRoot) {
  const char script[] = "HKCR { ForceRemove StashlyRegistrarTest = s 'x' }";
  ASSERT_EQ(ApplyRegistryScript(Parse(script), RegistrarMode::kRegister, true), S_OK);
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, L"Software\\Classes\\StashlyRegistrarTest"));
  EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\StashlyRegistrarTest"));
  ASSERT_EQ(ApplyRegistryScript(Parse(script), RegistrarMode::kUnregister, true), S_OK);
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"Software\\Classes\\StashlyRegistrarTest"));
}

TEST_F(Registrar, AFailureStopsRegistrationAndIsReported) {
  // The registry refuses key names longer than 255 characters.
  const std::string tooLong(300, 'k');
  const std::string script =
      "HKCU { NoRemove Software { StashlyRegistrarTest { First "
      "'" +
      tooLong + "' Last } } }";
  RegistryScriptParse parsed = ParseRegistryScript(script, {});
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  EXPECT_TRUE(FAILED(ApplyRegistryScript(parsed.script, RegistrarMode::kRegister, false)));
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, Path(L"First")));
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, Path(L"Last")));
}

TEST_F(Registrar, MissingScriptResourceIsAFailure) {
  EXPECT_TRUE(FAILED(RunRegistryScriptResource(::GetModuleHandleW(nullptr), 4242, {},
                                               RegistrarMode::kRegister, false)));
}

TEST(ScopedThreadLocale, PutsTheOldLocaleBack) {
  const LCID saved = ::GetThreadLocale();
  const LCID french = MAKELCID(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), SORT_DEFAULT);
  {
    ScopedThreadLocale locale(french);
    EXPECT_EQ(::GetThreadLocale(), french);
  }
  EXPECT_EQ(::GetThreadLocale(), saved);
}

}  // namespace
}  // namespace win
