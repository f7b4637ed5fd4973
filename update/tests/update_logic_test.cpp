#include "update/update_logic.h"

#include <gtest/gtest.h>

#include "core/web_address.h"

namespace renova {
namespace {

constexpr uint64_t V(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
  return a << 48 | b << 32 | c << 16 | d;
}

TEST(VersionToNumber, FieldsCarriesSignsAndOddTexts) {
  const struct {
    const wchar_t* text;
    uint64_t number;
  } cases[] = {
      {L"1.0.0.10", V(1, 0, 0, 10)},
      {L"1.2", V(1, 2, 0, 0)},
      {L"1.2.0.0", V(1, 2, 0, 0)},
      {L"1.2.3.4.5", V(1, 2, 3, 4)},
      {L"1.2.", V(1, 2, 0, 0)},
      {L".5", V(0, 5, 0, 0)},
      {L"", 0},
      {L".", 0},
      {L"..", 0},
      {L" 7. +8.x9.4z", V(7, 8, 0, 4)},
      {L"1.65536", V(2, 0, 0, 0)},  // a field past 65535 carries
      {L"0.0.0.-1", UINT64_MAX},    // and a negative one borrows, modulo 2^64
      {L"1.-1", V(0, 65535, 0, 0)},
      {L"99999.-1.x.", (uint64_t{99999} << 48) - (uint64_t{1} << 32)},
      {L"99999999999", uint64_t{INT32_MAX} << 48},  // _wtoi's clamp
      {L"-99999999999", static_cast<uint64_t>(int64_t{INT32_MIN}) << 48},
  };
  for (const auto& c : cases) EXPECT_EQ(VersionToNumber(c.text), c.number) << c.text;
  EXPECT_GT(VersionToNumber(L"2.0.0.0"), VersionToNumber(L"1.9.9.9"));
  EXPECT_GT(VersionToNumber(L"1.0.0.10"), VersionToNumber(L"1.0.0.9"));
}

TEST(SamePublisher, EveryNamingFieldCountsAndANamelessSubjectIsNobody) {
  const Publisher ours{L"Norvane", L"Norvane", L"Hangzhou", L"Zhejiang", L"CN"};
  const auto with = [&](std::wstring Publisher::*field, const wchar_t* value) {
    Publisher changed = ours;
    changed.*field = value;
    return changed;
  };
  EXPECT_TRUE(SamePublisher(ours, ours));
  for (auto field : {&Publisher::commonName, &Publisher::organization, &Publisher::locality,
                     &Publisher::state, &Publisher::country}) {
    EXPECT_FALSE(SamePublisher(ours, with(field, L"")));
    EXPECT_FALSE(SamePublisher(with(field, L"Other"), ours));
  }
  EXPECT_TRUE(SamePublisher(with(&Publisher::commonName, L""), with(&Publisher::commonName, L"")));
  const Publisher nameless{L"", L"", L"Hangzhou", L"Zhejiang", L"CN"};
  EXPECT_FALSE(SamePublisher(nameless, nameless));
  EXPECT_FALSE(SamePublisher(Publisher{}, Publisher{}));
}

TEST(Addresses, OnlyWebAddressesAndTheSiteOnTheirHost) {
  const struct {
    const wchar_t* address;
    const wchar_t* site;  // empty: not a web address
  } cases[] = {
      {L"http://h.example/download/update.ini", L"http://h.example/"},
      {L"HTTPS://127.0.0.1:8080/x?y#z", L"HTTPS://127.0.0.1:8080/"},
      {L"http://host", L"http://host/"},
      {L"http://", L""},
      {L"http:///path", L""},
      {L"file:///C:/setup.exe", L""},
      {L"\\\\server\\share\\setup.exe", L""},
      {L"ftp://h/setup.exe", L""},
      {L"http://bad host/", L""},
      {L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WebSiteOf(c.address), c.site) << c.address;
    EXPECT_EQ(stashly::IsWebAddress(c.address), *c.site != L'\0') << c.address;
  }
}

TEST(InstallerFileName, LastComponentMadeSafe) {
  const struct {
    const wchar_t* address;
    const wchar_t* name;  // null: no usable name
  } cases[] = {
      {L"http://h/download/setup.exe", L"setup.exe"},
      {L"http://h/download/Setup.EXE?x=1#top", L"Setup.EXE"},
      {L"http://h/a/stashly-2.0", L"stashly-2.0.exe"},
      {L"http://h/setup.exe. . ", L"setup.exe"},
      {L"http://h/a%5C..%5Cb:c*.exe", L"a%5C..%5Cb_c_.exe"},
      {L"http://h/..", nullptr},
      {L"http://h/", nullptr},
      {L"http://h", nullptr},
      {L"http://h/con", nullptr},
      {L"http://h/LPT1.exe", nullptr},
      {L"http://h/aux.txt", nullptr},
      {L"http://h/nul%20.exe", L"nul%20.exe"},  // the address is not decoded
      {L"http://h/nul .exe", nullptr},
      {L"file:///C:/setup.exe", nullptr},
  };
  for (const auto& c : cases) {
    const auto name = InstallerFileName(c.address);
    if (c.name)
      EXPECT_EQ(name, std::wstring(c.name)) << c.address;
    else
      EXPECT_FALSE(name) << c.address << " -> " << name.value_or(L"");
  }
}

TEST(Texts, LineBreaksAndPlaceHolders) {
  EXPECT_EQ(ExpandLineBreaks(L"a\\nb\\\\n\\"), L"a\r\nb\\\r\n\\");
  EXPECT_EQ(FillIn(L"%s有新版本%s了，是否更新？", {L"stashly", L"1.0.0.2"}),
            L"stashly有新版本1.0.0.2了，是否更新？");
  EXPECT_EQ(FillIn(L"已下载 %d%%", {L"37"}), L"已下载 37%");
  EXPECT_EQ(FillIn(L"%s %s %x %", {L"one"}), L"one  %x %");
}

TEST(Progress, KnownTotalsAndTheScaleWithoutOne) {
  EXPECT_EQ(ProgressPercent(0, 1000), 0);
  EXPECT_EQ(ProgressPercent(374, 1000), 37);
  EXPECT_EQ(ProgressPercent(1000, 1000), 100);
  EXPECT_EQ(ProgressPercent(UINT64_MAX / 2, UINT64_MAX / 2 + 1), 99);
  // Without a total: up towards 90, never past it, never a division by zero.
  EXPECT_EQ(ProgressPercent(0, 0), 0);
  EXPECT_EQ(ProgressPercent(4 << 20, 0), 45);
  int last = 0;
  for (uint64_t received = 1; received < (uint64_t{1} << 62); received *= 3) {
    const int percent = ProgressPercent(received, 0);
    EXPECT_GE(percent, last);
    EXPECT_LT(percent, 90);
    last = percent;
  }
  EXPECT_LT(ProgressPercent(UINT64_MAX, 0), 90);
}

TEST(HeaderValues, ContentLengthAndLinkColours) {
  EXPECT_EQ(ParseContentLength(L"0"), 0u);
  EXPECT_EQ(ParseContentLength(L"52428800"), 52428800u);
  for (const wchar_t* bad : {L"", L"-1", L"12a", L" 12", L"99999999999999999999"})
    EXPECT_FALSE(ParseContentLength(bad)) << bad;
  EXPECT_EQ(ParseLinkColor(L"0,0,255"), 0xFF0000u);
  EXPECT_EQ(ParseLinkColor(L" 128 , 0,128"), 0x800080u);
  for (const wchar_t* bad : {L"", L"0,0", L"0,0,256", L"0,0,0,0", L"a,b,c", L"0;0;0"})
    EXPECT_FALSE(ParseLinkColor(bad)) << bad;
}

}  // namespace
}  // namespace renova
