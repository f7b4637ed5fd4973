#pragma once
// UTF-8 <-> wide text. Wide text is UTF-16 where wchar_t has 16 bits (Windows) and UTF-32
// elsewhere. Encoding never loses anything: an unpaired surrogate (legal in a Windows file name)
// is written as its own three-byte sequence, and decoding gives it back.
#include <string>
#include <string_view>

namespace stashly {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

inline bool StartsWithUtf8Bom(std::string_view bytes) {
  return bytes.substr(0, 3) == kUtf8Bom;
}

inline bool IsAscii(std::string_view bytes) {
  for (unsigned char c : bytes)
    if (c >= 0x80) return false;
  return true;
}

void AppendUtf8(std::wstring_view text, std::string& out);
std::string ToUtf8(std::wstring_view text);

// Decodes `bytes` into `out` (appending). Returns false, leaving `out` as it was, when the bytes
// are not well-formed UTF-8 (overlong forms, stray continuation bytes, truncated sequences,
// values past U+10FFFF).
bool DecodeUtf8(std::string_view bytes, std::wstring& out);

}  // namespace stashly
