#include "skin/markup.h"

#include <gtest/gtest.h>

#include "skin/leading_int.h"

namespace stashly {
namespace {

StyledRun Plain(std::wstring text) {
  StyledRun run;
  run.text = std::move(text);
  return run;
}

using Runs = std::vector<StyledRun>;

TEST(StyledText, WorkedExampleGivesThreeRuns) {
  StyledRun world;
  world.text = L"world";
  world.color = 0x0000FF;
  world.bold = 1;
  world.size = -14;
  world.fontRemade = true;
  EXPECT_EQ(ParseStyledText(L"Hello {style=color=255,0,0;bold=1;size=-14}world{/style}!"),
            (Runs{Plain(L"Hello "), world, Plain(L"!")}));
}

TEST(StyledText, TitleTemplateParsesIntoOneWhiteBoldRun) {
  const std::wstring markup = FormatTitleMarkup(L"255,255,255", L"Velto文件收藏夹");
  EXPECT_EQ(markup, L"{style=\";color=255,255,255;bold=1;font=微软雅黑\"}Velto文件收藏夹{/style}");
  StyledRun title;
  title.text = L"Velto文件收藏夹";
  title.color = 0xFFFFFF;
  title.bold = 1;
  title.face = L"微软雅黑";
  title.fontRemade = true;
  EXPECT_EQ(ParseStyledText(markup), Runs{title});

  // No title colour in the skin: black, still bold in the title face.
  Runs black = ParseStyledText(FormatTitleMarkup(L"", L"t"));
  ASSERT_EQ(black.size(), 1u);
  EXPECT_EQ(black[0].color, 0u);
  EXPECT_EQ(black[0].bold, 1);
  EXPECT_EQ(black[0].face, L"微软雅黑");
}

TEST(StyledText, CutsPiecesInOrder) {
  struct Case {
    const wchar_t* text;
    std::vector<std::wstring> texts;
  };
  const Case cases[] = {
      {L"", {}},
      {L"plain only", {L"plain only"}},
      {L"{style=bold=1}a{/style}{style=bold=1}b{/style}", {L"a", L"b"}},
      {L"x{style=bold=1}a{/style}y{style=bold=1}b{/style}z", {L"x", L"a", L"y", L"b", L"z"}},
      // Markers do not nest: the first closing marker ends the piece.
      {L"{style=a=1}p{style=b=1}q{/style}r{/style}", {L"p{style=b=1}q", L"r{/style}"}},
      // A "}" in the text is fine; the first one ends the settings.
      {L"{style=bold=1}a}b{/style}", {L"a}b"}},
      {L"{style=bold=1}{/style}", {L""}},
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> texts;
    for (const StyledRun& run : ParseStyledText(c.text)) texts.push_back(run.text);
    EXPECT_EQ(texts, c.texts) << c.text;
  }
}

TEST(StyledText, UnbalancedMarkupIsShownLiterallyAndNothingIsLost) {
  struct Case {
    const wchar_t* text;
    Runs runs;
  };
  StyledRun boldB = Plain(L"b");
  boldB.bold = 1;
  boldB.fontRemade = true;
  const Case cases[] = {
      {L"a{style=bold=1}b", {Plain(L"a{style=bold=1}b")}},
      {L"{style=bold=1}b", {Plain(L"{style=bold=1}b")}},
      {L"a{/style}b", {Plain(L"a{/style}b")}},
      {L"x{/style}y{style=bold=1}b{/style}", {Plain(L"x{/style}y"), boldB}},
      {L"{style=bold=1}b{/style}tail{style=", {boldB, Plain(L"tail{style=")}},
      // An opening without "}" is no styled piece; a later one still is.
      {L"{style=bold=1 b{/style}", {Plain(L"{style=bold=1 b{/style}")}},
      {L"{style=x{/style}-{style=bold=1}b{/style}", {Plain(L"{style=x{/style}-"), boldB}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseStyledText(c.text), c.runs) << c.text;
}

TEST(StyledText, EmptySettingsKeepTheDefaultFont) {
  for (const wchar_t* text : {L"{style=}x{/style}", L"{style=\"\"}x{/style}"}) {
    EXPECT_EQ(ParseStyledText(text), Runs{Plain(L"x")}) << text;
  }
  // Present but useless settings still remake the font at the default size.
  Runs runs = ParseStyledText(L"{style=;}x{/style}");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_TRUE(runs[0].fontRemade);
  EXPECT_EQ(runs[0].size, -12);
}

TEST(StyledText, ReadsEverySetting) {
  struct Case {
    const wchar_t* settings;
    StyledRun expected;  // text "x", fontRemade set by the test
  };
  auto run = [](auto edit) {
    StyledRun r;
    edit(r);
    return r;
  };
  const Case cases[] = {
      {L"font=Arial", run([](StyledRun& r) { r.face = L"Arial"; })},
      {L"FONT=\"Segoe UI\"", run([](StyledRun& r) { r.face = L"Segoe UI"; })},
      {L"COLOR=rgb(0,128,255)", run([](StyledRun& r) { r.color = 0xFF8000; })},
      {L"Size=12", run([](StyledRun& r) { r.size = 12; })},
      {L"size=-12", run([](StyledRun& r) { r.size = -12; })},
      {L"size=abc", run([](StyledRun& r) { r.size = 0; })},
      {L"Bold=2;Italic=1;UnderLine=1", run([](StyledRun& r) {
         r.bold = 2;
         r.italic = 1;
         r.underline = 1;
       })},
      {L"bold=0", run([](StyledRun&) {})},
      {L";;bold=1;;", run([](StyledRun& r) { r.bold = 1; })},
      // Without a value, with an unknown key or without "=": nothing changes.
      {L"size=;font=;bold;weight=700", run([](StyledRun&) {})},
      {L"bold==1", run([](StyledRun& r) { r.bold = 1; })},
      {L"bold=1=0", run([](StyledRun& r) { r.bold = 1; })},
      // Keys are not trimmed.
      {L"bold =1", run([](StyledRun&) {})},
      {L"size= -14px", run([](StyledRun& r) { r.size = -14; })},
      {L"font=A;font=B", run([](StyledRun& r) { r.face = L"B"; })},
  };
  for (const Case& c : cases) {
    StyledRun expected = c.expected;
    expected.text = L"x";
    expected.fontRemade = true;
    EXPECT_EQ(ParseStyledText(std::wstring(L"{style=") + c.settings + L"}x{/style}"),
              Runs{expected})
        << c.settings;
  }
}

TEST(StyledText, FaceNameIsCutToWhatAFontTakes) {
  const std::wstring longFace(40, L'F');
  Runs runs = ParseStyledText(L"{style=font=" + longFace + L"}x{/style}");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].face, std::wstring(31, L'F'));

  EXPECT_EQ(TruncateFaceName(std::wstring(31, L'a')), std::wstring(31, L'a'));
  // A character outside the basic plane takes two units and is never split.
  const std::wstring astral = sizeof(wchar_t) == 2 ? std::wstring(L"\xD83D\xDE00")
                                                   : std::wstring(1, static_cast<wchar_t>(0x1F600));
  EXPECT_EQ(TruncateFaceName(std::wstring(30, L'a') + astral), std::wstring(30, L'a'));
  EXPECT_EQ(TruncateFaceName(std::wstring(29, L'a') + astral + L"b"),
            std::wstring(29, L'a') + astral);
}

TEST(StyledText, StyleMarkerDecidesWhetherACaptionIsStyled) {
  EXPECT_TRUE(HasStyleMarker(L"a{style=b"));
  EXPECT_FALSE(HasStyleMarker(L"{Style=bold=1}x{/style}"));
  EXPECT_FALSE(HasStyleMarker(L"{/style}"));
}

TEST(Color, AcceptedForms) {
  struct Case {
    const wchar_t* text;
    uint32_t color;
  };
  const Case cases[] = {
      {L"RGB(255,0,0)", 0x0000FF},
      {L"rgb(255, 0, 0)", 0x0000FF},
      {L"(255,0,0)", 0x0000FF},
      {L"255,0,0", 0x0000FF},
      {L"0,255,0", 0x00FF00},
      {L"rgb(1,2,3)", 0x030201},
      {L"anything(10,20,30)", 0x1E140A},
      {L"10,20,30,40", 0x1E140A},  // a fourth piece is ignored
      {L"rgb(300,0,0)", 44},       // low 8 bits
      {L"-1,0,0", 0xFF},
      {L"2147483648,0,0", 0xFF},  // saturates at 2^31 - 1 before the cut
      {L"1px,2x,3 ", 0x030201},
      {L"a,b,c", 0},
      {L" 7 , 8 , 9 )", 0x090807},
      {L"red", 0},
      {L"", 0},
      {L"255,0", 0},
      {L"255,,0", 0},  // empty pieces are dropped, leaving two
      {L"((255)),(0),0", 0x0000FF},
      {L"x(1,2,3", 0x030201},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseColor(c.text), c.color) << c.text;
}

TEST(LeadingInt, ReadsSignAndDigitsAfterWhiteSpace) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"12", 12},
      {"12px", 12},
      {"  \t\r\n-7", -7},
      {"+5", 5},
      {"007", 7},
      {"-0", 0},
      {"", std::nullopt},
      {"px12", std::nullopt},
      {"-", std::nullopt},
      {"+-1", std::nullopt},
      {"- 1", std::nullopt},
      {"0x10", 0},
      {"1.9", 1},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"99999999999999999999999", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", -2147483647 - 1},
      {"-99999999999999999999999", -2147483647 - 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseLeadingInt(std::string_view(c.text)), c.value) << c.text;
    std::wstring wide(c.text, c.text + std::char_traits<char>::length(c.text));
    EXPECT_EQ(ParseLeadingInt(std::wstring_view(wide)), c.value) << c.text;
  }
  // Full-width digits are not digits.
  EXPECT_EQ(ParseLeadingInt(std::wstring_view(L"１２")), std::nullopt);
}

}  // namespace
}  // namespace stashly
