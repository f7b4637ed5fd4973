#include "skin/skin_description.h"

#include <gtest/gtest.h>

#include "testing/iconv_codec.h"

namespace stashly {
namespace {

const IconvCodec kWestern("CP1252");
const IconvCodec kChinese("CP936");

SkinDescription Parse(std::string_view xml, const NarrowCodec& ansi = kWestern) {
  return ParseSkinDescription(xml, ansi);
}

std::string Gbk(std::wstring_view text) {
  std::string out;
  EXPECT_TRUE(kChinese.Encode(text, out));
  return out;
}

std::string Nested(int depth) {
  std::string xml = "<Dialog>";
  for (int i = 0; i < depth; ++i) xml += "<a>";
  for (int i = 0; i < depth; ++i) xml += "</a>";
  return xml + "</Dialog>";
}

std::string Buttons(int count) {
  std::string xml = "<Dialog><buttons>";
  for (int i = 1; i <= count; ++i) xml += "<button msg=\"" + std::to_string(i) + "\"/>";
  return xml + "</buttons></Dialog>";
}

TEST(SkinDescription, RejectsDocumentsThatAreNotSkins) {
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"white space", " \r\n\t"},
      {"bom only", "\xEF\xBB\xBF"},
      {"no root", "<?xml version=\"1.0\"?>"},
      {"wrong root", "<dialog><main width=\"5\"/></dialog>"},
      {"other root", "<Window/>"},
      {"truncated", "<Dialog><main width=\"5\"/>"},
      {"truncated attribute", "<Dialog><main width=\"5"},
      {"mismatched tags", "<Dialog><main></bk></Dialog>"},
      // The parser's error message names the element: longer than its message buffer.
      {"mismatched tags, a long name", "<Dialog><" + std::string(5000, 'm') + "></bk></Dialog>"},
      {"duplicate attribute", "<Dialog><main width=\"1\" width=\"2\"/></Dialog>"},
      {"binary garbage", std::string("\x89PNG\r\n\x1a\n\xff\xfe<\x01", 12)},
      {"utf-16 document", std::string("\xFF\xFE<\0D\0i\0a\0l\0o\0g\0/\0>\0", 18)},
      {"nul after the root", std::string("<Dialog/>\0junk", 14)},
      {"nul inside", std::string("<Dialog>\0</Dialog>", 18)},
      {"nested too deep", Nested(200)},
  };
  for (const auto& [name, bytes] : cases) {
    SkinDescription d = Parse(bytes);
    EXPECT_FALSE(d.loaded) << name;
    EXPECT_FALSE(d.main.has_value()) << name;
    EXPECT_TRUE(d.buttons.empty()) << name;
  }
}

TEST(SkinDescription, EmptyDialogLoadsWithNothingInIt) {
  for (const char* xml :
       {"<Dialog/>", "<?xml version=\"1.0\"?>\n<!-- c --><Dialog></Dialog>",
        "  \xEF\xBB\xBF<Dialog/>", "<Dialog><Main/><Buttons><button/></Buttons></Dialog>"}) {
    SkinDescription d = Parse(xml);
    EXPECT_TRUE(d.loaded) << xml;
    EXPECT_FALSE(d.main || d.sysButton || d.background) << xml;
    for (SkinElementKind kind : kSkinListOrder) EXPECT_TRUE(d.List(kind).empty()) << xml;
  }
}

TEST(SkinDescription, AbsentAttributesTakeTheirDefaults) {
  SkinDescription d = Parse(
      "<Dialog><main/><sysbutton/><bk/><buttons><button/></buttons><edits><edit/></edits>"
      "<xstrings><xstring/></xstrings><checks><check/></checks><radios><radio/></radios>"
      "<images><image/></images></Dialog>");
  ASSERT_TRUE(d.loaded);
  ASSERT_TRUE(d.main);
  EXPECT_EQ(d.main->width, 0);
  EXPECT_EQ(d.main->height, 0);
  EXPECT_EQ(d.main->roundCorner, 0);
  EXPECT_EQ(d.main->titleIcon, L"");
  EXPECT_EQ(d.main->titleColor, L"");
  EXPECT_EQ(d.main->title, L"");
  ASSERT_TRUE(d.sysButton);
  EXPECT_EQ(d.sysButton->sysClose, L"");
  EXPECT_EQ(d.sysButton->name, L"");
  ASSERT_TRUE(d.background);
  EXPECT_EQ(d.background->bkImage, L"");
  EXPECT_EQ(d.background->bkLayer, L"");
  for (SkinElementKind kind : kSkinListOrder) {
    ASSERT_EQ(d.List(kind).size(), 1u) << SkinElementName(kind);
    EXPECT_EQ(d.List(kind)[0], SkinElement{}) << SkinElementName(kind);
  }
  const SkinElement defaults;
  EXPECT_EQ(defaults.imageCount, 1);
  EXPECT_EQ(defaults.defaultMark, -1);
}

TEST(SkinDescription, ReadsEveryAttribute) {
  SkinDescription d = Parse(
      "<Dialog>"
      "<main width='300' height='200' roundcorner='8' titleicon='i.png' titlecolor='1,2,3'"
      " title='T &amp; &#x4E2D;'/>"
      "<sysbutton sysClose='close.png' name='&#x5173;&#x95ED;'/>"
      "<bk bkimage='skin\\bk.png' bklayer='layer.png'/>"
      "<radios><radio msg='7001' xpos='-3' ypos='4' width='50' height='20' "
      "text='{style=bold=1}r{/style}'"
      " image='r.png' imagecount='6' textcolor='rgb(9,9,9)' group='2' default='0' drawtype='3'"
      " name='Exit &amp; go' unknown='x'/></radios>"
      "</Dialog>");
  ASSERT_TRUE(d.loaded && d.main && d.sysButton && d.background);
  EXPECT_EQ(d.main->width, 300);
  EXPECT_EQ(d.main->height, 200);
  EXPECT_EQ(d.main->roundCorner, 8);
  EXPECT_EQ(d.main->titleIcon, L"i.png");
  EXPECT_EQ(d.main->titleColor, L"1,2,3");
  EXPECT_EQ(d.main->title, L"T & 中");
  EXPECT_EQ(d.sysButton->sysClose, L"close.png");
  EXPECT_EQ(d.sysButton->name, L"关闭");
  EXPECT_EQ(d.background->bkImage, L"skin\\bk.png");
  EXPECT_EQ(d.background->bkLayer, L"layer.png");
  ASSERT_EQ(d.radios.size(), 1u);
  const SkinElement& r = d.radios[0];
  EXPECT_EQ(r, (SkinElement{7001, -3, 4, 50, 20, L"{style=bold=1}r{/style}", L"r.png", 6,
                            L"rgb(9,9,9)", 2, 0, 3, L"Exit & go"}));
  EXPECT_EQ(r.Rect(), (SkinRect{-3, 4, 47, 24}));
}

TEST(SkinDescription, IntegerAttributesFollowTheLeadingNumberRule) {
  struct Case {
    const char* value;
    int32_t width;       // default 0
    int32_t imageCount;  // default 1
  };
  const Case cases[] = {
      {"12px", 12, 12},
      {" -4", -4, -4},
      {"px", 0, 1},
      {"", 0, 1},
      {"+0", 0, 0},
      {"2147483647", 2147483647, 2147483647},
      {"2147483648", 2147483647, 2147483647},
      {"-99999999999", -2147483647 - 1, -2147483647 - 1},
      {"&#x33;", 3, 3},  // character references are resolved first
  };
  for (const Case& c : cases) {
    std::string xml = std::string("<Dialog><main width=\"") + c.value +
                      "\"/><buttons><button imagecount=\"" + c.value + "\"/></buttons></Dialog>";
    SkinDescription d = Parse(xml);
    ASSERT_TRUE(d.main) << c.value;
    EXPECT_EQ(d.main->width, c.width) << c.value;
    ASSERT_EQ(d.buttons.size(), 1u) << c.value;
    EXPECT_EQ(d.buttons[0].imageCount, c.imageCount) << c.value;
  }
  // The rectangle never wraps around.
  SkinDescription d = Parse(
      "<Dialog><images><image xpos='2147483000' width='5000' ypos='-2147483000' "
      "height='-5000'/></images></Dialog>");
  ASSERT_EQ(d.images.size(), 1u);
  EXPECT_EQ(d.images[0].Rect(), (SkinRect{2147483000, -2147483000, 2147483647, -2147483647 - 1}));
}

TEST(SkinDescription, KeepsTheFirstTenOfEachList) {
  for (int count : {9, 10, 11, 10000}) {
    SkinDescription d = Parse(Buttons(count));
    ASSERT_TRUE(d.loaded) << count;
    const size_t kept = std::min(count, 10);
    ASSERT_EQ(d.buttons.size(), kept) << count;
    for (size_t i = 0; i < kept; ++i) EXPECT_EQ(d.buttons[i].msg, static_cast<int32_t>(i + 1));
  }
}

TEST(SkinDescription, OnlyElementsOfTheListsKindCountAndOnlyTheFirstSection) {
  SkinDescription d = Parse(
      "<Dialog>"
      "<main title='first'/><main title='second'/>"
      "<buttons><check msg='1'/><button msg='2'/><Button msg='3'/>text<!-- c --><button msg='4'>"
      "<button msg='5'/></button></buttons>"
      "<buttons><button msg='6'/></buttons>"
      "<main2/><group><buttons><button msg='7'/></buttons></group>"
      "<checks><check msg='8'/><check msg='9'/><check msg='10'/><check msg='11'/><check msg='12'/>"
      "<radio/><check msg='13'/><check msg='14'/><check msg='15'/><check msg='16'/><check "
      "msg='17'/>"
      "<check msg='18'/></checks>"
      "</Dialog>");
  ASSERT_TRUE(d.main);
  EXPECT_EQ(d.main->title, L"first");
  ASSERT_EQ(d.buttons.size(), 2u);
  EXPECT_EQ(d.buttons[0].msg, 2);
  EXPECT_EQ(d.buttons[1].msg, 4);
  // Other children of a list do not count towards its ten.
  ASSERT_EQ(d.checks.size(), 10u);
  EXPECT_EQ(d.checks.back().msg, 17);
}

TEST(SkinDescription, LaterElementWithTheSameIdWins) {
  SkinDescription d = Parse(
      "<Dialog><images><image msg='5'/></images><radios><radio msg='5'/><radio/></radios>"
      "<buttons><button msg='5'/><button/><button msg='9'/></buttons>"
      "<edits><edit/></edits></Dialog>");
  std::map<int32_t, SkinElementRef> byId = SkinElementsById(d);
  ASSERT_EQ(byId.size(), 3u);
  // Lists are created buttons, edits, xstrings, checks, radios, images whatever the file's order.
  EXPECT_EQ(byId.at(5), (SkinElementRef{SkinElementKind::kImage, 0}));
  EXPECT_EQ(byId.at(0), (SkinElementRef{SkinElementKind::kRadio, 1}));
  EXPECT_EQ(byId.at(9), (SkinElementRef{SkinElementKind::kButton, 2}));
  EXPECT_TRUE(SkinElementsById(SkinDescription{}).empty());
}

TEST(SkinDescription, DefaultRadioIsFirstUnlessALaterOneIsMarked) {
  auto radios = [](std::initializer_list<int32_t> marks) {
    std::vector<SkinElement> list;
    for (int32_t mark : marks) {
      SkinElement radio;
      radio.defaultMark = mark;
      list.push_back(radio);
    }
    return list;
  };
  EXPECT_EQ(DefaultRadioIndex({}), std::nullopt);
  EXPECT_EQ(DefaultRadioIndex(radios({-1})), 0u);
  EXPECT_EQ(DefaultRadioIndex(radios({-1, -1, -1})), 0u);
  EXPECT_EQ(DefaultRadioIndex(radios({-1, 0, -1, 3})), 3u);
  EXPECT_EQ(DefaultRadioIndex(radios({5, -1, -2})), 0u);
  EXPECT_EQ(DefaultRadioIndex(radios({-1, 0, -5})), 1u);

  // One default across groups, even when the first radio has id 0.
  SkinDescription d = Parse(
      "<Dialog><radios><radio group='1'/><radio msg='7002' group='1'/>"
      "<radio msg='7003' group='2' default='1'/><radio msg='7004' group='2'/></radios></Dialog>");
  ASSERT_EQ(DefaultRadioIndex(d.radios), 2u);
  EXPECT_EQ(d.radios[2].msg, 7003);
}

TEST(SkinDescription, DetectsUtf8Documents) {
  const std::pair<const char*, bool> cases[] = {
      {"\xEF\xBB\xBF<Dialog/>", true},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><Dialog/>", true},
      {"<?xml version='1.0' encoding='utf-8'?><Dialog/>", true},
      {"\r\n<?xml version=\"1.0\" encoding = \"Utf-8\" standalone=\"yes\"?>", true},
      {"<?xml version=\"1.0\"?><Dialog/>", false},
      {"<?xml version=\"1.0\" encoding=\"GBK\"?><Dialog/>", false},
      {"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", false},
      {"<?xml version=\"1.0\" encoding=\"UTF8\"?>", false},
      {"<?xml version=\"1.0\" myencoding=\"UTF-8\"?>", false},
      {"<?xml version=\"1.0\" encoding=\"UTF-8", false},
      {"<Dialog title='encoding=\"UTF-8\"'/>", false},
      {"<!-- --><?xml version=\"1.0\" encoding=\"UTF-8\"?>", false},
      {"", false},
  };
  for (const auto& [bytes, utf8] : cases) EXPECT_EQ(IsUtf8SkinDocument(bytes), utf8) << bytes;
}

TEST(SkinDescription, DecodesTextByTheDocumentsEncoding) {
  const std::string title = "\xE6\x96\x87\xE4\xBB\xB6";  // 文件 in UTF-8
  struct Case {
    const char* name;
    std::string xml;
    const NarrowCodec* ansi;
    std::wstring expected;
  };
  const Case cases[] = {
      {"utf-8 with a mark", "\xEF\xBB\xBF<Dialog><main title='" + title + "'/></Dialog>", &kWestern,
       L"文件"},
      {"utf-8 declared",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?><Dialog><main title='" + title + "'/></Dialog>",
       &kChinese, L"文件"},
      {"ansi 936", "<?xml version=\"1.0\"?><Dialog><main title='" + Gbk(L"文件") + "'/></Dialog>",
       &kChinese, L"文件"},
      {"ansi 936 declared as gbk",
       "<?xml version=\"1.0\" encoding=\"gb2312\"?><Dialog><main title='" + Gbk(L"文件夹") +
           "'/></Dialog>",
       &kChinese, L"文件夹"},
      {"ansi 1252", "<Dialog><main title='caf\xE9 \x80'/></Dialog>", &kWestern, L"café €"},
      // UTF-8 bytes in an undeclared document are ANSI text, as the system would read them.
      {"undeclared utf-8 read as 1252", "<Dialog><main title='caf\xC3\xA9'/></Dialog>", &kWestern,
       L"cafÃ©"},
      // An ANSI attribute in a UTF-8 document still names its text.
      {"invalid utf-8 attribute", "\xEF\xBB\xBF<Dialog><main title='caf\xE9'/></Dialog>", &kWestern,
       L"café"},
      {"character reference in ansi", "<Dialog><main title='&#20013;\xE9'/></Dialog>", &kWestern,
       L"中é"},
  };
  for (const Case& c : cases) {
    SkinDescription d = Parse(c.xml, *c.ansi);
    ASSERT_TRUE(d.loaded && d.main) << c.name;
    EXPECT_EQ(d.main->title, c.expected) << c.name;
  }
}

TEST(SkinDescription, AnsiTextReachesEveryTextAttribute) {
  SkinDescription d = Parse(Gbk(L"<Dialog><bk bkimage='皮肤\\背景.png'/><xstrings><xstring "
                                L"text='{style=font=宋体}字{/style}'"
                                L" image='图.png' textcolor='黑' name='名'/></xstrings></Dialog>"),
                            kChinese);
  ASSERT_TRUE(d.background);
  EXPECT_EQ(d.background->bkImage, L"皮肤\\背景.png");
  ASSERT_EQ(d.xstrings.size(), 1u);
  EXPECT_EQ(d.xstrings[0].text, L"{style=font=宋体}字{/style}");
  EXPECT_EQ(d.xstrings[0].image, L"图.png");
  EXPECT_EQ(d.xstrings[0].textColor, L"黑");
  EXPECT_EQ(d.xstrings[0].name, L"名");
}

}  // namespace
}  // namespace stashly
