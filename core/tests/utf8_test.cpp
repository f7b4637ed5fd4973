#include "core/utf8.h"

#include <gtest/gtest.h>

namespace stashly {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
  const std::wstring text = L"C:\\a&b\\文件\\é\\\U0001F600";
  std::wstring back;
  ASSERT_TRUE(DecodeUtf8(ToUtf8(text), back));
  EXPECT_EQ(back, text);
  EXPECT_EQ(ToUtf8(L"é文\U0001F600"), "\xC3\xA9\xE6\x96\x87\xF0\x9F\x98\x80");
}

TEST(Utf8, KeepsAnUnpairedSurrogateThroughARoundTrip) {
  // Windows file names may hold one; it must come back unchanged, not as U+FFFD.
  std::wstring text = L"a";
  text.push_back(static_cast<wchar_t>(0xD800));
  text += L"b";
  const std::string bytes = ToUtf8(text);
  EXPECT_EQ(bytes,
            "a\xED\xA0\x80"
            "b");
  std::wstring back;
  ASSERT_TRUE(DecodeUtf8(bytes, back));
  EXPECT_EQ(back, text);
}

TEST(Utf8, RejectsMalformedInputAndLeavesTheOutputAlone) {
  const char* bad[] = {
      "\x80",              // stray continuation byte
      "a\xC3",             // truncated two-byte sequence
      "\xE6\x96",          // truncated three-byte sequence
      "\xC0\xAF",          // overlong '/'
      "\xE0\x80\xAF",      // overlong '/'
      "\xF4\x90\x80\x80",  // past U+10FFFF
      "\xF8\x88\x80\x80\x80",
      "\xFF",
      "\xE6\x41\x87",  // ASCII where a continuation byte belongs
  };
  for (const char* input : bad) {
    std::wstring out = L"kept";
    EXPECT_FALSE(DecodeUtf8(input, out)) << input;
    EXPECT_EQ(out, L"kept");
  }
}

TEST(Utf8, RecognisesTheByteOrderMarkAndAscii) {
  EXPECT_TRUE(StartsWithUtf8Bom("\xEF\xBB\xBF"));
  EXPECT_TRUE(StartsWithUtf8Bom("\xEF\xBB\xBFx"));
  EXPECT_FALSE(StartsWithUtf8Bom("\xEF\xBB"));
  EXPECT_FALSE(StartsWithUtf8Bom(""));
  EXPECT_TRUE(IsAscii("C:\\plain path\r\n"));
  EXPECT_FALSE(IsAscii("caf\xE9"));
}

}  // namespace
}  // namespace stashly
