#include "win/dialog_template.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint16_t WordAt(const Bytes& bytes, size_t offset) {
  return static_cast<std::uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

std::uint32_t DwordAt(const Bytes& bytes, size_t offset) {
  return WordAt(bytes, offset) | (static_cast<std::uint32_t>(WordAt(bytes, offset + 2)) << 16);
}

// The skinned dialogs' template: a bare pop-up of 187 x 98 units with the shell font.
TEST(DialogTemplate, SkinnedDialogTemplateIsByteExact) {
  Bytes bytes = win::DialogTemplate().Style(win::kWsPopup).Bounds(0, 0, 187, 98).Font(8).Build();
  const Bytes expected = {
      0x40, 0x00, 0x00, 0x80,  // style: WS_POPUP | DS_SETFONT
      0x00, 0x00, 0x00, 0x00,  // extended style
      0x00, 0x00,              // no controls
      0x00, 0x00, 0x00, 0x00,  // x, y
      0xBB, 0x00, 0x62, 0x00,  // cx 187, cy 98
      0x00, 0x00,              // no menu
      0x00, 0x00,              // the system dialog class
      0x00, 0x00,              // empty title
      0x08, 0x00,              // 8 points
      // "MS Shell Dlg" and its terminator
      'M', 0, 'S', 0, ' ', 0, 'S', 0, 'h', 0, 'e', 0, 'l', 0,  //
      'l', 0, ' ', 0, 'D', 0, 'l', 0, 'g', 0, 0, 0,            //
  };
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(bytes.size() % 4, 0u);
}

TEST(DialogTemplate, TitleAndFontFollowEachOtherWordAlignedAndTheEndIsPadded) {
  struct Case {
    std::u16string title;
    size_t fontOffset;  // where the point size lands
    size_t size;
  };
  const Case cases[] = {
      {u"", 24, 52},
      {u"A", 26, 56},   // 54 bytes, padded to a DWORD
      {u"AB", 28, 56},  // 56 bytes already
      {u"升级", 28, 56},
  };
  for (const Case& c : cases) {
    Bytes bytes = win::DialogTemplate().Title(c.title).Font(9).Build();
    SCOPED_TRACE(bytes.size());
    ASSERT_EQ(bytes.size(), c.size);
    for (size_t i = 0; i < c.title.size(); ++i)
      EXPECT_EQ(WordAt(bytes, 22 + 2 * i), static_cast<std::uint16_t>(c.title[i]));
    EXPECT_EQ(WordAt(bytes, c.fontOffset - 2), 0u);  // the title's terminator
    EXPECT_EQ(WordAt(bytes, c.fontOffset), 9u);
    EXPECT_EQ(WordAt(bytes, c.fontOffset + 2), u'M');
    for (size_t i = c.fontOffset + 26; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0u);
  }
}

// A template that claims a font block it does not carry would make the system read past it.
TEST(DialogTemplate, SetFontBitFollowsTheFontBlockOnly) {
  struct Case {
    std::uint32_t style;
    bool font;
    std::uint32_t expectedStyle;
    size_t size;
  };
  const Case cases[] = {
      {win::kWsPopup, false, win::kWsPopup, 24},
      {win::kWsPopup | win::kDsSetFont, false, win::kWsPopup, 24},
      {win::kWsPopup | win::kDsShellFont, false, win::kWsPopup | win::kDsFixedSys, 24},
      {win::kWsPopup | win::kDsShellFont, true, win::kWsPopup | win::kDsShellFont, 52},
      {win::kWsCaption | win::kWsSysMenu | win::kDsModalFrame, true,
       win::kWsCaption | win::kWsSysMenu | win::kDsModalFrame | win::kDsSetFont, 52},
  };
  for (const Case& c : cases) {
    win::DialogTemplate tmpl;
    tmpl.Style(c.style);
    if (c.font) tmpl.Font(8);
    Bytes bytes = tmpl.Build();
    EXPECT_EQ(DwordAt(bytes, 0), c.expectedStyle);
    EXPECT_EQ(bytes.size(), c.size);
  }
}

TEST(DialogTemplate, FieldsKeepTheirSignAndTextStopsAtAnEmbeddedZero) {
  Bytes bytes = win::DialogTemplate()
                    .ExStyle(0x00080000)
                    .Bounds(-5, -32768, 32767, 0)
                    .Title(std::u16string(u"ab\0cd", 5))
                    .Font(10, u"")
                    .Build();
  EXPECT_EQ(DwordAt(bytes, 4), 0x00080000u);
  EXPECT_EQ(WordAt(bytes, 10), 0xFFFBu);
  EXPECT_EQ(WordAt(bytes, 12), 0x8000u);
  EXPECT_EQ(WordAt(bytes, 14), 0x7FFFu);
  EXPECT_EQ(WordAt(bytes, 22), u'a');
  EXPECT_EQ(WordAt(bytes, 24), u'b');
  EXPECT_EQ(WordAt(bytes, 26), 0u);
  EXPECT_EQ(WordAt(bytes, 28), 10u);  // point size right after the cut title
  EXPECT_EQ(WordAt(bytes, 30), 0u);   // empty face name
  EXPECT_EQ(bytes.size(), 32u);

  // A class of the program's own goes between the menu and the title.
  bytes = win::DialogTemplate().WindowClass(u"Ab").Title(u"T").Build();
  EXPECT_EQ(WordAt(bytes, 20), u'A');
  EXPECT_EQ(WordAt(bytes, 22), u'b');
  EXPECT_EQ(WordAt(bytes, 24), 0u);
  EXPECT_EQ(WordAt(bytes, 26), u'T');
  EXPECT_EQ(bytes.size(), 32u);
}

}  // namespace
