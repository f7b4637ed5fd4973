#include "store/settings_store.h"

#include <gtest/gtest.h>

#include "win/unique_any.h"

namespace stashly {
namespace {

// Each test starts with no settings key, as on a first start.
class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
  void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

  static void Put(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    win::UniqueHkey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  // The raw value as stored: its type, and its data when it is a DWORD.
  static bool Stored(const wchar_t* name, DWORD& type, DWORD& value) {
    DWORD size = sizeof value;
    return ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                          &value, &size) == ERROR_SUCCESS;
  }
};

TEST_F(SettingsStore, MissingValuesReadAsMissing) {
  DWORD value = 7;
  EXPECT_FALSE(ReadSettingDword(kExitWhenCloseValue, value));
  EXPECT_EQ(value, 7u);
  std::wstring text = L"kept";
  EXPECT_FALSE(ReadSettingString(kExtensionSettingsKey, kInstallPathValue, text));
  EXPECT_EQ(text, L"kept");
}

TEST_F(SettingsStore, WrittenDwordsReadBackThroughEitherSpellingOfTheKey) {
  WriteSettingDword(kExitWhenCloseValue, 0);
  WriteSettingDword(kAutoHideValue, 1);
  DWORD value = 9;
  EXPECT_TRUE(ReadSettingDword(kExitWhenCloseValue, value));
  EXPECT_EQ(value, 0u);
  EXPECT_TRUE(ReadSettingDword(kAutoHideValue, value));
  EXPECT_EQ(value, 1u);
  DWORD type = 0;
  ASSERT_TRUE(Stored(kExitWhenCloseValue, type, value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  DWORD viaOtherSpelling = 0, size = sizeof viaOtherSpelling;
  EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kExtensionSettingsKey, kAutoHideValue,
                           RRF_RT_REG_DWORD, nullptr, &viaOtherSpelling, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(viaOtherSpelling, 1u);
}

TEST_F(SettingsStore, DefaultOnReadWritesOneBackOnlyWhenMissing) {
  EXPECT_EQ(ReadSettingDwordWithDefault(kAutoHideValue), 1u);
  DWORD type = 0, value = 0;
  ASSERT_TRUE(Stored(kAutoHideValue, type, value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 1u);

  WriteSettingDword(kRightMenuValue, 0);
  EXPECT_EQ(ReadSettingDwordWithDefault(kRightMenuValue), 0u);
  ASSERT_TRUE(Stored(kRightMenuValue, type, value));
  EXPECT_EQ(value, 0u);
}

TEST_F(SettingsStore, WrongSizeOrTypeCountsAsMissingAndTheDefaultOverwritesIt) {
  const unsigned long long eightBytes = 0;
  const wchar_t text[] = L"0";  // four bytes with its terminator
  const WORD twoBytes = 0;
  struct Case {
    DWORD type;
    const void* data;
    DWORD size;
  };
  const Case cases[] = {
      {REG_QWORD, &eightBytes, sizeof eightBytes},
      {REG_BINARY, &eightBytes, sizeof eightBytes},
      {REG_SZ, text, sizeof text},
      {REG_DWORD, &twoBytes, sizeof twoBytes},
  };
  for (const Case& c : cases) {
    Put(kAutoHideValue, c.type, c.data, c.size);
    DWORD value = 5;
    EXPECT_FALSE(ReadSettingDword(kAutoHideValue, value)) << c.type;
    EXPECT_EQ(ReadSettingDwordWithDefault(kAutoHideValue), 1u) << c.type;
    DWORD type = 0;
    ASSERT_TRUE(Stored(kAutoHideValue, type, value));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << c.type;
    EXPECT_EQ(value, 1u) << c.type;
  }
}

TEST_F(SettingsStore, InstallPathFitsTwoHundredFiftyNineCharacters) {
  auto putString = [](const std::wstring& value) {
    Put(kInstallPathValue, REG_SZ, value.c_str(),
        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  };
  std::wstring read;
  const std::wstring program = L"C:\\Program Files\\Norvane\\Stashly\\Stashly.exe";
  putString(program);
  EXPECT_TRUE(ReadSettingString(kExtensionSettingsKey, kInstallPathValue, read));
  EXPECT_EQ(read, program);

  const std::wstring longest(259, L'x');
  putString(longest);
  EXPECT_TRUE(ReadSettingString(kExtensionSettingsKey, kInstallPathValue, read));
  EXPECT_EQ(read, longest);

  putString(std::wstring(260, L'y'));
  EXPECT_FALSE(ReadSettingString(kExtensionSettingsKey, kInstallPathValue, read));
  EXPECT_EQ(read, longest);

  // Stored without its terminator and filling the buffer: still one too long.
  const std::wstring unterminated(260, L'z');
  Put(kInstallPathValue, REG_SZ, unterminated.data(), 260 * sizeof(wchar_t));
  EXPECT_FALSE(ReadSettingString(kExtensionSettingsKey, kInstallPathValue, read));

  const DWORD number = 1;
  Put(kInstallPathValue, REG_DWORD, &number, sizeof number);
  EXPECT_FALSE(ReadSettingString(kExtensionSettingsKey, kInstallPathValue, read));
}

}  // namespace
}  // namespace stashly
