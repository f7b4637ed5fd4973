#include "skin/skin_layout.h"

#include <gtest/gtest.h>

#include <tuple>

#include "skin/image_type.h"
#include "skin/image_variant.h"

namespace stashly {
namespace {

TEST(TitleBarLayout, PlacesIconCloseButtonAndText) {
  const SkinRect client{0, 0, 300, 200};
  EXPECT_EQ(TitleIconPosition(client), (SkinPoint{5, 7}));
  EXPECT_EQ(TitleIconRect(client, {16, 16}), (SkinRect{5, 7, 21, 23}));
  EXPECT_EQ(CloseButtonRect(client, {20, 18}), (SkinRect{275, 1, 295, 19}));
  EXPECT_EQ(TitleTextRect(client, std::nullopt), (SkinRect{10, 7, 300, 27}));
  // With an icon 16 wide the text starts at 5 + 16 + 4.
  EXPECT_EQ(TitleTextRect(client, TitleIconRect(client, {16, 16}).right),
            (SkinRect{25, 7, 300, 27}));
}

TEST(DpiScale, OneRoundingRuleForEveryFigure) {
  struct Case {
    int32_t value;
    uint32_t dpi;
    int32_t expected;
  };
  const Case cases[] = {
      {10, 96, 10},
      {460, 144, 690},
      {460, 192, 920},
      {10, 120, 13},  // 12.5 up
      {5, 120, 6},
      {2, 120, 3},
      {1, 144, 2},
      {7, 144, 11},  // halves up
      {27, 144, 41},
      {519, 144, 779},
      {33, 120, 41},
      {0, 192, 0},
      {-2, 144, -3},
      {-12, 144, -18},
      {-11, 120, -14},
      {-2, 120, -3},  // away from 0
      {30, 168, 53},
      {16, 72, 12},
      {5, 0, 5},  // 0: not scaled
      {2147483647, 192, 2147483647},
      {-2147483647 - 1, 192, -2147483647 - 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;

  // The system's font made for its DPI, at a window's.
  EXPECT_EQ(ScaleBetweenDpi(-17, 144, 96), -11);
  EXPECT_EQ(ScaleBetweenDpi(-11, 96, 192), -22);
  EXPECT_EQ(ScaleBetweenDpi(16, 144, 144), 16);
  EXPECT_EQ(ScaleBetweenDpi(-17, 144, 0), -17);
  EXPECT_EQ(ScaleBetweenDpi(-17, 0, 144), -17);
}

TEST(DpiScale, ElementsKeepTheirScaledSizeWhereverTheySit) {
  // Scaling the edges would give this one 4 x 4 at 144 DPI and its neighbour at 4 a 5 x 5.
  EXPECT_EQ(ScaleElementRect({1, 1, 4, 4}, 144), (SkinRect{2, 2, 7, 7}));
  EXPECT_EQ(ScaleElementRect({4, 4, 7, 7}, 144), (SkinRect{6, 6, 11, 11}));
  EXPECT_EQ(ScaleElementRect({12, 519, 112, 549}, 144), (SkinRect{18, 779, 168, 824}));
  EXPECT_EQ(ScaleElementRect({8, 40, 350, 90}, 192), (SkinRect{16, 80, 700, 180}));
  EXPECT_EQ(ScaleElementRect({8, 40, 350, 90}, 96), (SkinRect{8, 40, 350, 90}));

  EXPECT_EQ(ScaledFrameSize(300, 30, 3, 144), (SkinSize{150, 45}));
  EXPECT_EQ(ScaledFrameSize(100, 30, 3, 120), (SkinSize{41, 38}));  // frame 33 of 100
  EXPECT_EQ(ScaledFrameSize(16, 16, 0, 192), (SkinSize{32, 32}));   // no count: one frame
  EXPECT_EQ(ScaledFrameSize(84, 22, 3, 96), (SkinSize{28, 22}));
}

TEST(DpiScale, TitleBarAndEditMarginsScaleWithTheDialog) {
  const SkinRect client{0, 0, 600, 400};
  EXPECT_EQ(TitleIconRect(client, {32, 32}, 192), (SkinRect{10, 14, 42, 46}));
  EXPECT_EQ(CloseButtonRect(client, {56, 44}, 192), (SkinRect{534, 2, 590, 46}));
  EXPECT_EQ(TitleTextRect(client, std::nullopt, 192), (SkinRect{20, 14, 600, 54}));
  EXPECT_EQ(TitleTextRect(client, 42, 192), (SkinRect{50, 14, 600, 54}));
  EXPECT_EQ(TitleTextRect({0, 0, 450, 300}, std::nullopt, 144), (SkinRect{15, 11, 450, 41}));
  EXPECT_EQ(EditInnerRect(400, 48, 192), (SkinRect{10, 10, 396, 44}));
  EXPECT_EQ(EditInnerRect(4, 4, 192), (SkinRect{10, 10, 10, 10}));
}

TEST(ImageVariants, NamedBeforeTheExtensionOfTheFileItself) {
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\app\\config\\btn.png", L"@2x", L"C:\\app\\config\\btn@2x.png"},
      {L"config\\bk.BMP", L"@1.5x", L"config\\bk@1.5x.BMP"},
      {L"x.tar.png", L"@2x", L"x.tar@2x.png"},
      {L"dir/sub.jpg", L"@2x", L"dir/sub@2x.jpg"},
      {L"C:\\skin.d\\bk", L"@2x", L"C:\\skin.d\\bk@2x"},
      {L"C:\\app\\", L"@2x", L"C:\\app\\@2x"},
      {L"", L"@2x", L"@2x"},
  };
  for (const auto& [path, suffix, expected] : cases)
    EXPECT_EQ(ImageVariantPath(path, suffix), expected) << path;
}

TEST(ImageVariants, ClosestAtOrAboveTheScaleFirstThenTheLargestBelow) {
  using Paths = std::vector<std::wstring>;
  const Paths smallFirst{L"a@1.5x.png", L"a@2x.png"};
  const Paths largeFirst{L"a@2x.png", L"a@1.5x.png"};
  const std::pair<uint32_t, Paths> cases[] = {
      {72, {}},          {96, {}},          {97, smallFirst},  {120, smallFirst}, {144, smallFirst},
      {145, largeFirst}, {168, largeFirst}, {192, largeFirst}, {288, largeFirst},
  };
  for (const auto& [dpi, expected] : cases)
    EXPECT_EQ(ImageVariantPaths(L"a.png", dpi), expected) << dpi;
}

TEST(StripLayout, FrameWidthAndOverlay) {
  EXPECT_EQ(FrameWidth(90, 3), 30);
  EXPECT_EQ(FrameWidth(100, 3), 33);
  EXPECT_EQ(FrameWidth(90, 0), 90);
  EXPECT_EQ(FrameWidth(90, -2), 90);
  EXPECT_EQ(CheckedOverlaySourceX(6, 1, 20), 80);
  EXPECT_EQ(CheckedOverlaySourceX(5, 0, 20), 40);
  EXPECT_EQ(ButtonSizeForImage(90, 30, 3), (SkinSize{30, 30}));
}

TEST(StripLayout, SourceForEachLook) {
  struct Case {
    const char* name;
    int32_t width, count, state;
    bool checkStyle, checked;
    StripSource expected;
  };
  const Case cases[] = {
      {"button normal", 90, 3, 0, false, false, {0, 30, std::nullopt}},
      {"button hover", 90, 3, 1, false, false, {30, 30, std::nullopt}},
      {"button pressed", 90, 3, 2, false, false, {60, 30, std::nullopt}},
      {"checked hover draws 1 then 4", 120, 6, 1, true, true, {20, 20, 80}},
      {"unchecked hover", 120, 6, 1, true, false, {20, 20, std::nullopt}},
      {"checked pressed", 120, 6, 2, true, true, {40, 20, 100}},
      {"no frame count: whole image", 90, 0, 2, true, true, {0, 90, std::nullopt}},
      // Looks the strip does not have show its last look, never a place past the image.
      {"one frame hovered", 40, 1, 1, false, false, {0, 40, std::nullopt}},
      {"one frame pressed check", 40, 1, 2, true, true, {0, 40, std::nullopt}},
      {"two frames pressed", 80, 2, 2, false, false, {40, 40, std::nullopt}},
      {"two-frame check hovered", 80, 2, 1, true, true, {0, 40, 40}},
      {"four-frame check pressed", 80, 4, 2, true, true, {20, 20, 60}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StripSourceFor(c.width, c.count, c.state, c.checkStyle, c.checked), c.expected)
        << c.name;
  }
}

TEST(CaptionLayout, RectFormatAndColors) {
  const SkinRect client{0, 0, 80, 20};
  EXPECT_EQ(CaptionRect(client, 16, -2), (SkinRect{16, -2, 80, 20}));
  EXPECT_EQ(CaptionRect(client, 0, 0), client);
  EXPECT_EQ(CaptionFormat(1), 0x25u);
  EXPECT_EQ(CaptionFormat(2), 2u);
  EXPECT_EQ(CaptionFormat(0), 0u);
  EXPECT_EQ(CaptionFormat(3), 0u);
  EXPECT_EQ(CaptionFormat(-1), 0u);
  EXPECT_EQ(CaptionColors(1, false, 2, 3, 4), (std::array<uint32_t, 4>{1, 1, 1, 1}));
  EXPECT_EQ(CaptionColors(1, true, 2, 3, 4), (std::array<uint32_t, 4>{1, 2, 3, 4}));
}

TEST(RunLayout, BreaksOnceAtTheProportionalIndex) {
  struct Case {
    const char* name;
    std::wstring text;
    int32_t rectWidth, textWidth;
    std::optional<size_t> index;
  };
  const Case cases[] = {
      {"fits", L"abcdefghij", 100, 100, std::nullopt},
      {"fits with room", L"abcdefghij", 200, 100, std::nullopt},
      {"half", L"abcdefghij", 50, 100, 5},
      {"rounds down", L"abcdefghij", 99, 100, 9},
      {"more than twice too wide still breaks once", L"abcdefghij", 30, 100, 3},
      {"no text width", L"abcdefghij", -5, 0, std::nullopt},
      {"negative text width", L"abc", 0, -5, std::nullopt},
      {"nothing fits", L"abcdefghij", 5, 100, std::nullopt},
      {"negative rect", L"abcdefghij", -50, 100, std::nullopt},
      {"empty text", L"", 5, 10, std::nullopt},
      {"no overflow", std::wstring(100000, L'x'), 2000000000, 2100000000, 95238},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LineBreakIndex(c.text, c.rectWidth, c.textWidth), c.index) << c.name;

  EXPECT_EQ(BreakTextToFit(L"abcdefghij", 50, 100), L"abcde\r\nfghij");
  EXPECT_EQ(BreakTextToFit(L"abcdefghij", 100, 100), L"abcdefghij");
  // A break never separates the halves of a surrogate pair.
  const std::wstring pair = L"a\xD83D\xDE00z";
  EXPECT_EQ(LineBreakIndex(pair, 50, 100), 1u);
}

TEST(EditLayout, InnerEditAndImageHeight) {
  EXPECT_EQ(EditInnerRect(200, 24), (SkinRect{5, 5, 198, 22}));
  EXPECT_EQ(EditInnerRect(3, 0), (SkinRect{5, 5, 5, 5}));
  EXPECT_EQ(EditRectForImage({10, 20, 110, 99}, 24), (SkinRect{10, 20, 110, 44}));
  EXPECT_EQ(EditRectForImage({10, 20, 110, 99}, 0), (SkinRect{10, 20, 110, 20}));
}

TEST(ImageType, ByExtensionWithoutRegardToCase) {
  const std::pair<const wchar_t*, int> cases[] = {
      {L"a.png", 1},        {L"Image.PNG", 1}, {L"b.jpg", 2},
      {L"C:\\x\\b.JpG", 2}, {L"c.bmp", 3},     {L"image.jpeg", 0},
      {L"a.gif", 0},        {L"png", 0},       {L"", 0},
      {L"a.png.txt", 0},    {L"a.txt.bmp", 3}, {L"C:\\skin.png\\bk", 0},
      {L"dir/sub.bmp", 3},  {L"a.png ", 0},    {L".png", 1},
      {L"a.", 0},
  };
  for (const auto& [path, type] : cases) EXPECT_EQ(ImageTypeForPath(path), type) << path;
}

TEST(Arithmetic, SaturatesInsteadOfWrapping) {
  EXPECT_EQ(SaturatingAdd(2147483647, 1), 2147483647);
  EXPECT_EQ(SaturatingAdd(-2147483647 - 1, -1), -2147483647 - 1);
  EXPECT_EQ((SkinRect{-2147483647 - 1, 0, 2147483647, 0}).Width(), 2147483647);
  EXPECT_EQ(CloseButtonRect({0, 0, -2147483647, 0}, {100, 5}).left, -2147483647 - 1);
}

}  // namespace
}  // namespace stashly
