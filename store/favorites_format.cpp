#include "store/favorites_format.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "core/utf8.h"

namespace stashly {
namespace {

// True when no byte is NUL or above 0x7F; looks at eight bytes at a time.
bool IsPlainAscii(std::string_view line) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighs = 0x8080808080808080ull;
  size_t i = 0;
  for (; i + 8 <= line.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, line.data() + i, 8);
    if ((word & kHighs) || ((word - kOnes) & ~word & kHighs)) return false;
  }
  for (; i < line.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if (c == 0 || c >= 0x80) return false;
  }
  return true;
}

// Adds one line to `records` unless it is empty once decoded; false when the decoding lost
// something (a NUL, bytes that would not be written back as themselves).
bool AddLine(std::string_view line, bool utf8, const NarrowCodec& ansi, RecordList& records,
             std::wstring& scratch) {
  // Every ANSI code page Windows uses keeps ASCII as it is; most paths are plain ASCII, and
  // widening them straight into the list keeps a long list cheap to load.
  if (IsPlainAscii(line)) {
    if (!line.empty()) records.push_back_ascii(line);
    return true;
  }
  bool lossless = true;
  std::string withoutNul;
  if (std::memchr(line.data(), '\0', line.size())) {
    lossless = false;
    withoutNul.reserve(line.size());
    for (char c : line)
      if (c != '\0') withoutNul.push_back(c);
    line = withoutNul;
  }
  if (IsAscii(line)) {
    scratch.assign(line.begin(), line.end());
  } else {
    scratch.clear();
    if (!utf8 || !DecodeUtf8(line, scratch)) {
      scratch = ansi.Decode(line);
      std::string again;
      lossless = lossless && ansi.Encode(scratch, again) && again == line;
    }
  }
  if (!scratch.empty()) records.push_back(scratch);
  return lossless;
}

// The records of a UTF-16 file, the mark already taken off. A NUL character, or an odd byte at
// the end, make the read lossy.
bool ParseUtf16(std::string_view bytes, bool bigEndian, RecordList& records) {
  bool lossless = bytes.size() % 2 == 0;
  std::wstring line;
  auto flush = [&] {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (!line.empty()) records.push_back(line);
    line.clear();
  };
  char32_t high = 0;  // a high surrogate waiting for its partner (wide text of 32 bits only)
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    const char32_t unit = bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
    if (sizeof(wchar_t) == 4) {
      // Pairs become one character; an unpaired half stays as it is, as on Windows.
      if (high && unit >= 0xDC00 && unit <= 0xDFFF) {
        line.back() = static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
        high = 0;
        continue;
      }
      high = unit >= 0xD800 && unit <= 0xDBFF ? unit : 0;
    }
    if (unit == L'\n') {
      flush();
    } else if (unit == 0) {
      lossless = false;
    } else {
      line.push_back(static_cast<wchar_t>(unit));
    }
  }
  flush();
  return lossless;
}

bool StartsLikeAMark(std::string_view bytes) {
  return StartsWithUtf8Bom(bytes) || bytes.substr(0, 2) == "\xFF\xFE" ||
         bytes.substr(0, 2) == "\xFE\xFF";
}

bool EncodeRecord(std::wstring_view record, FavoritesEncoding encoding, const NarrowCodec& ansi,
                  std::string& out) {
  switch (encoding) {
    case FavoritesEncoding::kUtf8:
      out = ToUtf8(record);
      return true;
    case FavoritesEncoding::kAnsi:
      return ansi.Encode(record, out);
    default:
      return false;  // UTF-16 is read, never written
  }
}

}  // namespace

void RecordList::reserve(size_t records, size_t characters) {
  starts_.reserve(records);
  text_.reserve(characters + records);
}

void RecordList::push_back(std::wstring_view record) {
  starts_.push_back(text_.size());
  text_.append(record);
  text_.push_back(L'\0');
}

void RecordList::push_back_ascii(std::string_view record) {
  const size_t start = text_.size();
  starts_.push_back(start);
  text_.resize(start + record.size() + 1);
  wchar_t* out = text_.data() + start;
  for (char c : record) *out++ = static_cast<wchar_t>(c);
  *out = L'\0';
}

void RecordList::Remove(std::span<const size_t> indices) {
  std::vector<bool> removed(size());
  bool any = false;
  for (size_t i : indices) {
    if (i < removed.size()) removed[i] = any = true;
  }
  if (!any) return;
  RecordList kept;
  kept.reserve(size(), text_.size());
  for (size_t i = 0; i < size(); ++i)
    if (!removed[i]) kept.push_back((*this)[i]);
  *this = std::move(kept);
}

std::vector<std::wstring> RecordList::ToVector() const {
  std::vector<std::wstring> out;
  out.reserve(size());
  for (size_t i = 0; i < size(); ++i) out.emplace_back((*this)[i]);
  return out;
}

FavoritesContent ParseFavorites(std::string_view bytes, const NarrowCodec& ansi) {
  FavoritesContent content;
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    const bool bigEndian = bytes[0] == '\xFE';
    content.encoding = bigEndian ? FavoritesEncoding::kUtf16Be : FavoritesEncoding::kUtf16Le;
    content.lossless = ParseUtf16(bytes.substr(2), bigEndian, content.records);
    return content;
  }
  const bool utf8 = StartsWithUtf8Bom(bytes);
  if (utf8) {
    content.encoding = FavoritesEncoding::kUtf8;
    bytes.remove_prefix(kUtf8Bom.size());
  }
  // Decoded text never has more characters than the file has bytes.
  content.records.reserve(bytes.size() / 32, bytes.size());
  std::wstring scratch;
  while (!bytes.empty()) {
    const char* lf = static_cast<const char*>(std::memchr(bytes.data(), '\n', bytes.size()));
    size_t length = lf ? static_cast<size_t>(lf - bytes.data()) : bytes.size();
    std::string_view line = bytes.substr(0, length);
    bytes.remove_prefix(lf ? length + 1 : length);
    // A text-mode stream turns CR LF into LF; a CR anywhere else belongs to the record.
    if (lf && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!AddLine(line, utf8, ansi, content.records, scratch)) content.lossless = false;
  }
  return content;
}

bool IsStorableRecord(std::wstring_view record) {
  return !record.empty() && record.find_first_of(std::wstring_view(L"\n\0", 2)) ==
                                std::wstring_view::npos &&
         record.back() != L'\r';
}

namespace {

template <typename Records>
std::string Serialize(const Records& records, const NarrowCodec& ansi, FavoritesEncoding* used) {
  std::string out;
  std::string encoded;
  FavoritesEncoding encoding = FavoritesEncoding::kAnsi;
  for (size_t i = 0; i < records.size(); ++i) {
    if (!EncodeRecord(records[i], FavoritesEncoding::kAnsi, ansi, encoded)) {
      encoding = FavoritesEncoding::kUtf8;
      break;
    }
    out += encoded;
    out += "\r\n";
  }
  // ANSI text that happens to begin with a mark's bytes ("ï»¿" or "ÿþ" in 1252) would read back
  // as UTF-8 or UTF-16; such a file is written as UTF-8 to begin with.
  if (encoding == FavoritesEncoding::kAnsi && StartsLikeAMark(out))
    encoding = FavoritesEncoding::kUtf8;
  if (encoding == FavoritesEncoding::kUtf8) {
    out.assign(kUtf8Bom);
    for (size_t i = 0; i < records.size(); ++i) {
      AppendUtf8(records[i], out);
      out += "\r\n";
    }
  }
  if (used) *used = encoding;
  return out;
}

}  // namespace

std::string SerializeFavorites(const std::vector<std::wstring>& records, const NarrowCodec& ansi,
                               FavoritesEncoding* used) {
  return Serialize(records, ansi, used);
}

std::string SerializeFavorites(const RecordList& records, const NarrowCodec& ansi,
                               FavoritesEncoding* used) {
  return Serialize(records, ansi, used);
}

std::vector<bool> FindChosen(const RecordList& current, const RecordList& seen,
                             std::span<const size_t> chosen) {
  std::vector<bool> picked(seen.size());
  for (size_t i : chosen)
    if (i < seen.size()) picked[i] = true;
  // For each text, which of its occurrences in `seen` were chosen (ascending).
  std::unordered_map<std::wstring_view, size_t> counted;
  std::unordered_map<std::wstring_view, std::vector<size_t>> wanted;
  for (size_t i = 0; i < seen.size(); ++i) {
    const size_t occurrence = counted[seen[i]]++;
    if (picked[i]) wanted[seen[i]].push_back(occurrence);
  }
  counted.clear();
  std::vector<bool> found(current.size());
  for (size_t i = 0; i < current.size(); ++i) {
    const auto match = wanted.find(current[i]);
    if (match == wanted.end()) continue;
    const size_t occurrence = counted[current[i]]++;
    found[i] = std::binary_search(match->second.begin(), match->second.end(), occurrence);
  }
  return found;
}

RecordList WithoutChosen(const RecordList& current, const RecordList& seen,
                         std::span<const size_t> chosen) {
  const std::vector<bool> found = FindChosen(current, seen, chosen);
  std::vector<size_t> dropped;
  for (size_t i = 0; i < found.size(); ++i)
    if (found[i]) dropped.push_back(i);
  RecordList kept = current;
  kept.Remove(dropped);
  return kept;
}

std::vector<size_t> MoveChosen(RecordList& records, std::vector<bool> chosen, bool down) {
  chosen.resize(records.size());
  std::vector<size_t> order(records.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Each chosen record changes places with an unchosen neighbour; one held at the end (or behind
  // a held one) stays, so a block keeps its shape.
  const size_t n = order.size();
  for (size_t step = 1; step < n; ++step) {
    const size_t i = down ? n - 1 - step : step;
    const size_t other = down ? i + 1 : i - 1;
    if (chosen[i] && !chosen[other]) {
      std::swap(order[i], order[other]);
      chosen[i] = false;
      chosen[other] = true;
    }
  }
  size_t characters = 0;
  for (size_t i = 0; i < n; ++i) characters += records[i].size() + 1;
  RecordList moved;
  moved.reserve(n, characters);
  std::vector<size_t> nowAt;
  for (size_t i = 0; i < n; ++i) {
    moved.push_back(records[order[i]]);
    if (chosen[i]) nowAt.push_back(i);
  }
  records = std::move(moved);
  return nowAt;
}

std::optional<std::string> AppendedBytes(std::string_view head, uint64_t size, char last,
                                         std::span<const std::wstring> records,
                                         const NarrowCodec& ansi) {
  const FavoritesEncoding encoding =
      StartsWithUtf8Bom(head) ? FavoritesEncoding::kUtf8
      : StartsLikeAMark(head) ? FavoritesEncoding::kUtf16Le
                              : FavoritesEncoding::kAnsi;
  const bool unterminated =
      last != '\n' && size > (encoding == FavoritesEncoding::kUtf8 ? kUtf8Bom.size() : 0);
  std::string out;
  if (unterminated) out.push_back('\n');
  std::string encoded;
  for (const std::wstring& record : records) {
    if (!EncodeRecord(record, encoding, ansi, encoded)) return std::nullopt;
    out += encoded;
    out.push_back('\n');
  }
  // The first bytes of a file decide its encoding.
  if (size == 0 && StartsLikeAMark(out)) return std::nullopt;
  return out;
}

}  // namespace stashly
