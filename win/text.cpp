#include "win/text.h"

#include <climits>

namespace win {

std::wstring ToWide(std::string_view text, UINT codePage) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring out(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), length);
  return out;
}

std::string ToNarrow(std::wstring_view text, UINT codePage, bool* lost) {
  if (lost) *lost = false;
  if (text.empty()) return {};
  if (text.size() > INT_MAX) {
    if (lost) *lost = true;
    return {};
  }
  const int size = static_cast<int>(text.size());
  int length = ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    if (lost) *lost = true;
    return {};
  }
  std::string out(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), length, nullptr, nullptr);
  // A round trip catches both the default character and best-fit substitutions, for single-
  // and double-byte code pages alike.
  if (lost) *lost = ToWide(out, codePage) != text;
  return out;
}

bool CodePageCodec::Encode(std::wstring_view text, std::string& out) const {
  bool lost = false;
  out = ToNarrow(text, codePage_, &lost);
  return !lost;
}

}  // namespace win
