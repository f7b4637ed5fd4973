#include "corelet/rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/version_text.h"
#include "corelet/md5.h"

namespace corelet {
namespace {

std::string Hex(std::string_view bytes) {
  char out[33] = {};
  Md5Hex(bytes, out);
  return out;
}

TEST(Md5, MatchesTheReferenceSuiteAndEveryPaddingBoundary) {
  const struct {
    std::string input;
    const char* digest;
  } cases[] = {
      // RFC 1321, appendix A.5
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      // The tail fits the last block (55), needs a second one (56), a whole block (64).
      {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
      {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
      {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
      {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
      {std::string(8 << 20, '\0'), "96995b58d4cbf6aaa9041b4f00c7f6ae"},
  };
  for (const auto& c : cases) EXPECT_EQ(Hex(c.input), c.digest) << c.input.size();
}

TEST(Md5Hex, WritesExactly32LowerCaseCharacters) {
  char out[34];
  std::memset(out, '#', sizeof out);
  Md5Hex("stashly", out);
  EXPECT_EQ(out[32], '#');
  for (int i = 0; i < 32; ++i) EXPECT_TRUE(std::strchr("0123456789abcdef", out[i])) << i;
}

TEST(Identifiers, TheFactoryTestsThemInItsOrderAs16Bytes) {
  using stashly::XInterfaceId;
  const struct {
    const XInterfaceId* id;
    ObjectClass made;
  } cases[] = {
      {&stashly::kIdICPUInfo, ObjectClass::kSystemInfo},
      {&stashly::kIdIDiskInfo, ObjectClass::kSystemInfo},
      {&stashly::kIdIMD5, ObjectClass::kHash},
      {&stashly::kIdIHash, ObjectClass::kHash},
      {&stashly::kIdIRegister, ObjectClass::kRegister},
      {&stashly::kIdIStatistic, ObjectClass::kStatistic},
      {&stashly::kIdIVersion, ObjectClass::kVersion},
      {&stashly::kIdIXUnknown, ObjectClass::kNone},
      {&stashly::kIdReserved1, ObjectClass::kNone},
      {&stashly::kIdReserved2, ObjectClass::kNone},
      {&stashly::kIdReserved3, ObjectClass::kNone},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassForIdentifier(c.id), c.made) << std::hex << c.id->data1;
    // Anywhere in memory, and one byte off is another identifier.
    unsigned char bytes[17];
    std::memcpy(bytes + 1, c.id, 16);
    EXPECT_EQ(ClassForIdentifier(bytes + 1), c.made);
    bytes[16] ^= 1;
    EXPECT_EQ(ClassForIdentifier(bytes + 1), ObjectClass::kNone);
  }
  EXPECT_EQ(ClassForIdentifier(nullptr), ObjectClass::kNone);
  // The byte layout of a Windows GUID: Data1 to Data3 little-endian.
  const auto* raw = reinterpret_cast<const unsigned char*>(&stashly::kIdIStatistic);
  EXPECT_EQ(raw[0], 0x25);
  EXPECT_EQ(raw[3], 0x00);
  EXPECT_EQ(raw[4], 0x10);
  EXPECT_EQ(raw[8], 0x90);
}

TEST(XorBytes, RepeatsTheKeyAndWritesNothingWithoutAKeyOrALength) {
  char out[6] = "#####";
  XorBytes("\x01\x02\x03\x04\x05", "\x01\x03", out, 5);
  EXPECT_EQ(std::string(out, 5), std::string("\x00\x01\x02\x07\x04", 5));
  for (int count : {0, -1}) {
    char kept[3] = "##";
    XorBytes("ab", "k", kept, count);
    EXPECT_STREQ(kept, "##");
  }
  char kept[3] = "##";
  XorBytes("ab", "", kept, 2);
  XorBytes(nullptr, "k", kept, 2);
  EXPECT_STREQ(kept, "##");
}

TEST(ReportAddress, JoinsThePiecesAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(ComposeReportAddress(L"http://h/stat.php?src=s&type=open&", L"1.0.0.1", L"ab12"),
            L"http://h/stat.php?src=s&type=open&ver=1.0.0.1&userid=ab12");
  EXPECT_EQ(ComposeReportAddress(L"b?", L"", L""), L"b?ver=&userid=");
  // 2099 characters and the terminator fill the 2100; one more does not fit.
  const std::wstring base(2099 - 12, L'x');
  EXPECT_EQ(ComposeReportAddress(base, L"", L"")->size(), 2099u);
  EXPECT_FALSE(ComposeReportAddress(base + L"x", L"", L""));
  EXPECT_FALSE(ComposeReportAddress(L"b", L"1", L"2", 4));
}

TEST(Formats, VersionsWindowsDrivesAndProcessor) {
  EXPECT_EQ(stashly::FormatFileVersion(0x00010000, 0x00000001), L"1.0.0.1");
  EXPECT_EQ(stashly::FormatFileVersion(0xFFFFFFFF, 0xFFFFFFFF), L"65535.65535.65535.65535");

  const struct {
    bool nt;
    unsigned major, minor;
    bool amd64;
    int code;
  } windows[] = {
      {false, 6, 1, true, 0}, {true, 4, 0, false, 1}, {true, 5, 0, false, 2},
      {true, 5, 1, false, 3}, {true, 5, 2, true, 4},  {true, 5, 3, false, 1},
      {true, 6, 0, false, 5}, {true, 6, 1, false, 6}, {true, 6, 1, true, 7},
      {true, 6, 2, true, 1},  {true, 10, 0, true, 1},
  };
  for (const auto& w : windows)
    EXPECT_EQ(WindowsVersionCode(w.nt, w.major, w.minor, w.amd64), w.code)
        << w.major << "." << w.minor;

  const struct {
    bool usb;
    unsigned type;
    int code;
  } drives[] = {
      {false, kDriveFixed, 1}, {true, kDriveFixed, 2},  {true, 2, 3},
      {true, kDriveCdRom, 3},  {false, kDriveCdRom, 4}, {false, 2, 0},
  };
  for (const auto& d : drives) EXPECT_EQ(DriveKindCode(d.usb, d.type), d.code);

  EXPECT_EQ(FormatCpuId(0xBFEBFBFF, 0x000306A9), "BFEBFBFF000306A9");
  EXPECT_EQ(FormatCpuId(0, 1), "0000000000000001");
}

}  // namespace
}  // namespace corelet
