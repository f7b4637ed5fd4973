#include "store/favorites_format.h"

#include <gtest/gtest.h>

#include "core/utf8.h"
#include "testing/iconv_codec.h"

namespace stashly {
namespace {

using Records = std::vector<std::wstring>;

const IconvCodec kWestern("CP1252");
const IconvCodec kChinese("CP936");

std::string Gbk(std::wstring_view text) {
  std::string out;
  EXPECT_TRUE(kChinese.Encode(text, out));
  return out;
}

struct ParseCase {
  const char* name;
  std::string bytes;
  Records expected;
};

TEST(FavoritesParse, LineEndsEmptyLinesAndWhitespace) {
  const ParseCase cases[] = {
      {"empty file", "", {}},
      {"crlf, empty line, unended last line", "C:\\a\r\n\r\nD:\\b", {L"C:\\a", L"D:\\b"}},
      {"lf only (the appender's form)", "C:\\a\nD:\\b\n", {L"C:\\a", L"D:\\b"}},
      {"crlf (the main program's form)", "C:\\a\r\nD:\\b\r\n", {L"C:\\a", L"D:\\b"}},
      {"mixed line ends", "a\nb\r\nc\n\r\nd", {L"a", L"b", L"c", L"d"}},
      {"two spaces are a record", "  \n", {L"  "}},
      {"tabs and spaces stay", "\t C:\\x \t\r\n", {L"\t C:\\x \t"}},
      {"a lone cr stays", "a\rb\n", {L"a\rb"}},
      {"cr before crlf stays", "a\r\r\n", {L"a\r"}},
      {"cr at the very end stays", "a\r", {L"a\r"}},
      {"only line ends", "\n\r\n\n", {}},
      {"duplicates kept in order", "x\ny\nx\nx\n", {L"x", L"y", L"x", L"x"}},
      {"nul bytes dropped", std::string("C:\\a\0b\n\0\n", 9), {L"C:\\ab"}},
  };
  for (const auto& c : cases) {
    FavoritesContent content = ParseFavorites(c.bytes, kWestern);
    EXPECT_EQ(content.records.ToVector(), c.expected) << c.name;
    EXPECT_EQ(content.encoding, FavoritesEncoding::kAnsi) << c.name;
  }
}

TEST(FavoritesParse, DecodesAnsiWithTheGivenCodePage) {
  EXPECT_EQ(ParseFavorites("C:\\caf\xE9\r\n", kWestern).records.ToVector(), Records{L"C:\\café"});
  EXPECT_EQ(ParseFavorites(Gbk(L"D:\\文件\\资料") + "\n", kChinese).records.ToVector(),
            Records{L"D:\\文件\\资料"});
}

TEST(FavoritesParse, ByteOrderMarkMeansUtf8) {
  const ParseCase cases[] = {
      {"bom only", "\xEF\xBB\xBF", {}},
      {"bom and line ends", "\xEF\xBB\xBF\r\n\n", {}},
      {"utf-8 records",
       "\xEF\xBB\xBF"
       "C:\\\xE6\x96\x87\r\nC:\\caf\xC3\xA9\n",
       {L"C:\\文", L"C:\\café"}},
      // An ANSI line appended after the mark by an older writer still names its file.
      {"invalid utf-8 line read as ansi",
       "\xEF\xBB\xBF"
       "C:\\\xE6\x96\x87\nC:\\caf\xE9\n",
       {L"C:\\文", L"C:\\café"}},
  };
  for (const auto& c : cases) {
    FavoritesContent content = ParseFavorites(c.bytes, kWestern);
    EXPECT_EQ(content.records.ToVector(), c.expected) << c.name;
    EXPECT_EQ(content.encoding, FavoritesEncoding::kUtf8) << c.name;
  }
}

TEST(FavoritesParse, NeitherCutsNorSplitsLongLines) {
  const std::wstring longPath = L"C:\\" + std::wstring(100000, L'x');
  std::string bytes = "a\n" + std::string(longPath.begin(), longPath.end()) + "\r\nb";
  EXPECT_EQ(ParseFavorites(bytes, kWestern).records.ToVector(), (Records{L"a", longPath, L"b"}));

  // 259 bytes was once the limit of a record; now it is just another length.
  for (size_t length : {258u, 259u, 260u, 261u, 520u}) {
    std::wstring path(length, L'p');
    EXPECT_EQ(ParseFavorites(SerializeFavorites({path}, kWestern), kWestern).records.ToVector(),
              Records{path});
  }
  // A double-byte path longer than 259 bytes in the code page.
  std::wstring wide = L"D:\\";
  for (int i = 0; i < 200; ++i) wide += L"文";
  EXPECT_EQ(ParseFavorites(SerializeFavorites({wide}, kChinese), kChinese).records.ToVector(),
            Records{wide});
}

TEST(FavoritesSerialize, StaysAnsiWhileEveryRecordFits) {
  FavoritesEncoding used{};
  EXPECT_EQ(SerializeFavorites({L"C:\\a", L"C:\\café"}, kWestern, &used),
            "C:\\a\r\nC:\\caf\xE9\r\n");
  EXPECT_EQ(used, FavoritesEncoding::kAnsi);
  EXPECT_EQ(SerializeFavorites({L"D:\\文件"}, kChinese, &used), Gbk(L"D:\\文件") + "\r\n");
  EXPECT_EQ(used, FavoritesEncoding::kAnsi);
  // An empty list is an empty file.
  EXPECT_EQ(SerializeFavorites(Records{}, kWestern, &used), "");
  EXPECT_EQ(used, FavoritesEncoding::kAnsi);
}

TEST(FavoritesSerialize, SwitchesToUtf8WhenARecordDoesNotFit) {
  // Neither '文' nor 'ā' has an exact form in 1252 ('ā' only a best-fit look-alike on Windows).
  for (const Records& records : {Records{L"C:\\a", L"C:\\文件"}, Records{L"C:\\ā"}}) {
    FavoritesEncoding used{};
    std::string bytes = SerializeFavorites(records, kWestern, &used);
    EXPECT_EQ(used, FavoritesEncoding::kUtf8);
    EXPECT_TRUE(StartsWithUtf8Bom(bytes));
    FavoritesContent back = ParseFavorites(bytes, kWestern);
    EXPECT_EQ(back.records.ToVector(), records);
    EXPECT_EQ(back.encoding, FavoritesEncoding::kUtf8);
  }
  EXPECT_EQ(SerializeFavorites({L"a", L"文"}, kWestern),
            "\xEF\xBB\xBF"
            "a\r\n\xE6\x96\x87\r\n");
  // Hangul is not in 936; the whole file goes UTF-8 rather than store '?'.
  FavoritesEncoding used{};
  SerializeFavorites({L"D:\\文件", L"D:\\한"}, kChinese, &used);
  EXPECT_EQ(used, FavoritesEncoding::kUtf8);
}

TEST(FavoritesSerialize, RoundTripsAwkwardRecords) {
  const Records records = {L"  ", L"a\rb", L"trailing cr\r", L"\t", L"C:\\a&b", L"x", L"x"};
  // A first record whose ANSI bytes look like a mark must not be read back as one.
  for (const wchar_t* first : {L"ï»¿x", L"ÿþx", L"þÿx"})
    EXPECT_EQ(
        ParseFavorites(SerializeFavorites({first, L"y"}, kWestern), kWestern).records.ToVector(),
        (Records{first, L"y"}));
  for (const NarrowCodec* codec :
       {static_cast<const NarrowCodec*>(&kWestern), static_cast<const NarrowCodec*>(&kChinese)}) {
    EXPECT_EQ(ParseFavorites(SerializeFavorites(records, *codec), *codec).records.ToVector(),
              records);
  }
}

TEST(FavoritesParse, ReadsUtf16AndTellsWhetherTheBytesReadLosslessly) {
  using enum FavoritesEncoding;
  const std::string utf16le("\xFF\xFE" "C\0:\0\\\0\x87\x65\r\0\n\0\r\0\n\0x\0", 20);
  const struct {
    const char* name;
    std::string bytes;
    const NarrowCodec& ansi;
    Records records;
    FavoritesEncoding encoding;
    bool lossless;
  } cases[] = {
      {"ansi", "C:\\caf\xE9\r\n", kWestern, {L"C:\\café"}, kAnsi, true},
      {"gbk", Gbk(L"D:\\文件") + "\n", kChinese, {L"D:\\文件"}, kAnsi, true},
      {"utf-8 after the mark", "\xEF\xBB\xBF" "D:\\\xE6\x96\x87\n", kChinese, {L"D:\\文"}, kUtf8,
       true},
      {"an ansi line after the mark", "\xEF\xBB\xBF" "a\ncaf\xE9\n", kWestern, {L"a", L"café"},
       kUtf8, true},
      {"utf-16 le", utf16le, kWestern, {L"C:\\文", L"x"}, kUtf16Le, true},
      {"utf-16 be", std::string("\xFE\xFF\0C\0\n\0\xE9", 8), kWestern, {L"C", L"é"},
       kUtf16Be, true},
      {"utf-16 surrogate pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), kWestern,
       {L"\U0001F600"}, kUtf16Le, true},
      {"utf-16 odd byte", utf16le + "y", kWestern, {L"C:\\文", L"x"}, kUtf16Le, false},
      {"utf-16 nul", std::string("\xFF\xFE" "a\0\0\0b\0", 8), kWestern, {L"ab"}, kUtf16Le, false},
      {"nul byte", std::string("C:\\a\0b\n", 7), kWestern, {L"C:\\ab"}, kAnsi, false},
      {"a lead byte alone", "C:\\\x81\nD:\\b\n", kChinese, {L"C:\\\uFFFD", L"D:\\b"}, kAnsi,
       false},
      {"not utf-8, not ansi either", "\xEF\xBB\xBF" "C:\\\x81\n", kChinese, {L"C:\\\uFFFD"},
       kUtf8, false},
  };
  for (const auto& c : cases) {
    const FavoritesContent content = ParseFavorites(c.bytes, c.ansi);
    EXPECT_EQ(content.records.ToVector(), c.records) << c.name;
    EXPECT_EQ(content.encoding, c.encoding) << c.name;
    EXPECT_EQ(content.lossless, c.lossless) << c.name;
  }
}

TEST(FavoritesAppend, AddsInTheFilesEncodingOnLinesOfTheirOwnOrAsksForARewrite) {
  const std::wstring cafe = L"C:\\café", wen = L"D:\\文";
  const struct {
    const char* name;
    std::string head;
    uint64_t size;
    char last;
    std::vector<std::wstring> records;
    const NarrowCodec& ansi;
    std::optional<std::string> bytes;
  } cases[] = {
      {"empty file", "", 0, '\n', {L"C:\\new"}, kWestern, "C:\\new\n"},
      {"ended last line", "C:\\", 9, '\n', {L"a", L"b"}, kWestern, "a\nb\n"},
      {"unended last line", "C:\\", 6, 'd', {L"a"}, kWestern, "\na\n"},
      {"ansi record", "C:\\", 9, '\n', {cafe}, kWestern, "C:\\caf\xE9\n"},
      {"gbk record", "C:\\", 9, '\n', {wen}, kChinese, Gbk(wen) + "\n"},
      {"utf-8 file", "\xEF\xBB\xBF", 9, 'x', {wen}, kWestern, "\nD:\\\xE6\x96\x87\n"},
      {"the mark alone", "\xEF\xBB\xBF", 3, '\xBF', {L"a"}, kWestern, "a\n"},
      {"does not fit", "C:\\", 9, '\n', {L"a", wen}, kWestern, std::nullopt},
      {"utf-16 file", "\xFF\xFE" "C", 9, '\0', {L"a"}, kWestern, std::nullopt},
      {"would start like a mark", "", 0, '\n', {L"ï»¿x"}, kWestern, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AppendedBytes(c.head, c.size, c.last, c.records, c.ansi), c.bytes) << c.name;
  EXPECT_EQ(ParseFavorites("C:\\old" + *AppendedBytes("C:\\", 6, 'd', {{L"C:\\new"}}, kWestern),
                           kWestern)
                .records.ToVector(),
            (Records{L"C:\\old", L"C:\\new"}));
}

TEST(FavoritesParse, AppenderAndMainProgramFilesLoadTheSame) {
  const Records records = {L"C:\\one", L"D:\\two words", L"E:\\caf\u00e9"};
  const std::string appended = *AppendedBytes("", 0, '\n', records, kWestern);
  EXPECT_EQ(ParseFavorites(appended, kWestern).records.ToVector(), records);
  EXPECT_EQ(ParseFavorites(SerializeFavorites(records, kWestern), kWestern).records.ToVector(),
            records);
}

TEST(FavoritesRecord, StorableOnlyWhenItReadsBackAsItself) {
  for (std::wstring_view odd : {L"", L"C:\\x\ny", L"C:\\x\r", L"\r"}) EXPECT_FALSE(IsStorableRecord(odd));
  EXPECT_FALSE(IsStorableRecord(std::wstring_view(L"a\0b", 3)));
  for (std::wstring_view fine : {L"C:\\a", L"a\rb", L"  "}) EXPECT_TRUE(IsStorableRecord(fine));
}

TEST(RecordList, RemoveKeepsTheOthersInOrderAndIgnoresRepeatsAndUnknownIndices) {
  const struct {
    Records before;
    std::vector<size_t> indices;
    Records after;
  } cases[] = {
      {{L"a", L"b", L"c", L"d"}, {3, 1}, {L"a", L"c"}},
      {{L"a", L"b", L"c"}, {1, 1, 3, 99}, {L"a", L"c"}},  // 3 is one past the end
      {{L"a", L"a", L"b"}, {0}, {L"a", L"b"}},            // same text: only that position goes
      {{L"a", L"b"}, {0, 1}, {}},
      {{L"a"}, {}, {L"a"}},
      {{}, {0}, {}},
  };
  for (const auto& c : cases) {
    RecordList records;
    for (const auto& record : c.before) records.push_back(record);
    records.Remove(c.indices);
    EXPECT_EQ(records.ToVector(), c.after);
    // The records stay usable as the platform's strings.
    for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records.c_str(i), c.after[i]);
  }
}

TEST(WithoutChosen, TakesWhatTheUserChoseFromTheFileAsItIsNow) {
  const auto list = [](std::initializer_list<const wchar_t*> texts) {
    RecordList records;
    for (const wchar_t* text : texts) records.push_back(text);
    return records;
  };
  const struct {
    const char* name;
    RecordList current, seen;
    std::vector<size_t> chosen;
    Records kept;
  } cases[] = {
      {"unchanged file", list({L"a", L"b", L"c"}), list({L"a", L"b", L"c"}), {1}, {L"a", L"c"}},
      {"added at the end meanwhile",
       list({L"a", L"b", L"new"}),
       list({L"a", L"b"}),
       {0},
       {L"b", L"new"}},
      {"added in front meanwhile",
       list({L"new", L"a", L"b"}),
       list({L"a", L"b"}),
       {1},
       {L"new", L"a"}},
      {"second of two equal",
       list({L"x", L"y", L"x"}),
       list({L"x", L"y", L"x"}),
       {2},
       {L"x", L"y"}},
      {"an equal one added", list({L"x", L"x"}), list({L"x"}), {0}, {L"x"}},
      {"gone meanwhile", list({L"b"}), list({L"a", L"b"}), {0}, {L"b"}},
      {"nothing chosen", list({L"a"}), list({L"a"}), {}, {L"a"}},
      {"unknown and repeated", list({L"a", L"b"}), list({L"a", L"b"}), {7, 1, 1}, {L"a"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WithoutChosen(c.current, c.seen, c.chosen).ToVector(), c.kept) << c.name;
}

TEST(MoveChosen, MovesEachChosenRecordPastOneNeighbourAndBlocksKeepTheirShape) {
  const struct {
    const char* name;
    std::vector<bool> chosen;
    bool down;
    Records after;
    std::vector<size_t> nowAt;
  } cases[] = {
      {"one up", {false, false, true, false}, false, {L"a", L"c", L"b", L"d"}, {1}},
      {"one down", {false, true, false, false}, true, {L"a", L"c", L"b", L"d"}, {2}},
      {"block up", {false, true, true, false}, false, {L"b", L"c", L"a", L"d"}, {0, 1}},
      {"block down", {false, true, true, false}, true, {L"a", L"d", L"b", L"c"}, {2, 3}},
      {"held at the top", {true, true, false, true}, false, {L"a", L"b", L"d", L"c"}, {0, 1, 2}},
      {"held at the bottom", {true, false, true, true}, true, {L"b", L"a", L"c", L"d"}, {1, 2, 3}},
      {"apart", {true, false, true, false}, true, {L"b", L"a", L"d", L"c"}, {1, 3}},
      {"all", {true, true, true, true}, false, {L"a", L"b", L"c", L"d"}, {0, 1, 2, 3}},
      {"none, marks short", {}, true, {L"a", L"b", L"c", L"d"}, {}},
  };
  for (const auto& c : cases) {
    RecordList records;
    for (const wchar_t* text : {L"a", L"b", L"c", L"d"}) records.push_back(text);
    EXPECT_EQ(MoveChosen(records, c.chosen, c.down), c.nowAt) << c.name;
    EXPECT_EQ(records.ToVector(), c.after) << c.name;
  }
}

}  // namespace
}  // namespace stashly
