#include "app/favorites_format.h"

#include <cstring>

#include "core/utf8.h"

namespace stashly {
namespace {

// Every ANSI code page Windows uses keeps ASCII as it is; most paths are ASCII, and widening
// them directly keeps a long list cheap to load.
void WidenAscii(std::string_view bytes, std::wstring& out) {
  out.resize(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
}

std::wstring DecodeLine(std::string_view line, bool utf8, const NarrowCodec& ansi) {
  std::string withoutNul;
  if (std::memchr(line.data(), '\0', line.size())) {
    withoutNul.reserve(line.size());
    for (char c : line)
      if (c != '\0') withoutNul.push_back(c);
    line = withoutNul;
  }
  std::wstring text;
  if (IsAscii(line)) {
    WidenAscii(line, text);
  } else if (!utf8 || !DecodeUtf8(line, text)) {
    text = ansi.Decode(line);
  }
  return text;
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

FavoritesContent ParseFavorites(std::string_view bytes, const NarrowCodec& ansi) {
  FavoritesContent content;
  const bool utf8 = StartsWithUtf8Bom(bytes);
  if (utf8) {
    content.encoding = FavoritesEncoding::kUtf8;
    bytes.remove_prefix(kUtf8Bom.size());
  }
  while (!bytes.empty()) {
    const char* lf = static_cast<const char*>(std::memchr(bytes.data(), '\n', bytes.size()));
    size_t length = lf ? static_cast<size_t>(lf - bytes.data()) : bytes.size();
    std::string_view line = bytes.substr(0, length);
    bytes.remove_prefix(lf ? length + 1 : length);
    // A text-mode stream turns CR LF into LF; a CR anywhere else belongs to the record.
    if (lf && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::wstring record = DecodeLine(line, utf8, ansi);
    if (!record.empty()) content.records.push_back(std::move(record));
  }
  return content;
}

std::string SerializeFavorites(const std::vector<std::wstring>& records, const NarrowCodec& ansi,
                               FavoritesEncoding* used) {
  std::string out;
  std::string encoded;
  FavoritesEncoding encoding = FavoritesEncoding::kAnsi;
  for (const std::wstring& record : records) {
    if (!EncodeRecord(record, FavoritesEncoding::kAnsi, ansi, encoded)) {
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
    for (const std::wstring& record : records) {
      AppendUtf8(record, out);
      out += "\r\n";
    }
  }
  if (used) *used = encoding;
  return out;
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
