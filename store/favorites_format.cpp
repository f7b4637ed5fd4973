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

// Adds one line to `records` unless it is empty once decoded.
void AddLine(std::string_view line, bool utf8, const NarrowCodec& ansi, RecordList& records,
             std::wstring& scratch) {
  // Every ANSI code page Windows uses keeps ASCII as it is; most paths are plain ASCII, and
  // widening them straight into the list keeps a long list cheap to load.
  if (IsPlainAscii(line)) {
    if (!line.empty()) records.push_back_ascii(line);
    return;
  }
  std::string withoutNul;
  if (std::memchr(line.data(), '\0', line.size())) {
    withoutNul.reserve(line.size());
    for (char c : line)
      if (c != '\0') withoutNul.push_back(c);
    line = withoutNul;
  }
  if (IsAscii(line)) {
    scratch.assign(line.begin(), line.end());
  } else {
    scratch.clear();
    if (!utf8 || !DecodeUtf8(line, scratch)) scratch = ansi.Decode(line);
  }
  if (!scratch.empty()) records.push_back(scratch);
}

bool EncodeRecord(std::wstring_view record, FavoritesEncoding encoding, const NarrowCodec& ansi,
                  std::string& out) {
  if (encoding == FavoritesEncoding::kUtf8) {
    out = ToUtf8(record);
    return true;
  }
  return ansi.Encode(record, out);
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
    AddLine(line, utf8, ansi, content.records, scratch);
  }
  return content;
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
  // ANSI text that happens to begin with the mark's bytes ("ï»¿" in 1252) would read back as
  // UTF-8; such a file is written as UTF-8 to begin with.
  if (encoding == FavoritesEncoding::kAnsi && StartsWithUtf8Bom(out))
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

std::optional<std::string> EncodeAppendedRecord(std::wstring_view record,
                                                FavoritesEncoding encoding,
                                                bool lastLineUnterminated,
                                                const NarrowCodec& ansi) {
  std::string encoded;
  if (!EncodeRecord(record, encoding, ansi, encoded)) return std::nullopt;
  std::string out;
  if (lastLineUnterminated) out.push_back('\n');
  out += encoded;
  out.push_back('\n');
  return out;
}

}  // namespace stashly
