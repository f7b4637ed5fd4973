#include "win/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, ReportsLossOnlyWhenTheCodePageCannotHoldTheText) {
  struct Case {
    const wchar_t* text;
    UINT codePage;
    bool lost;
  };
  const Case cases[] = {
      {L"C:\\plain", 1252, false},
      {L"C:\\café", 1252, false},
      {L"C:\\文件", 1252, true},
      {L"C:\\ā", 1252, true},  // only a best-fit 'a' exists
      {L"C:\\文件", 936, false},
      {L"C:\\한", 936, true},
      {L"C:\\文件\\한\\\U0001F600", CP_UTF8, false},
  };
  for (const Case& c : cases) {
    bool lost = !c.lost;
    std::string narrow = win::ToNarrow(c.text, c.codePage, &lost);
    EXPECT_EQ(lost, c.lost) << c.codePage;
    if (!c.lost) {
      EXPECT_EQ(win::ToWide(narrow, c.codePage), c.text) << c.codePage;
    }
  }
  EXPECT_EQ(win::ToNarrow(L"caf\u00e9", 1252), "caf\xE9");
  EXPECT_EQ(win::ToNarrow(L"\u6587", 936), "\xCE\xC4");
  EXPECT_EQ(win::ToWide("\xCE\xC4", 936), L"\u6587");
  EXPECT_EQ(win::ToNarrow(L"", 1252), "");
  EXPECT_EQ(win::ToWide("", 1252), L"");
}

TEST(Text, CodecEncodesExactlyOrRefuses) {
  const win::CodePageCodec western(1252);
  std::string out;
  EXPECT_TRUE(western.Encode(L"café", out));
  EXPECT_EQ(out, "caf\xE9");
  EXPECT_FALSE(western.Encode(L"文", out));
  EXPECT_EQ(western.Decode("caf\xE9"), L"café");
}

}  // namespace
