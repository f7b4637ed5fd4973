#pragma once
// Reading an integer the way skin files and markup values are read: leading white space, an
// optional sign, decimal digits; whatever follows the digits is ignored ("12px" reads 12).
// Text that does not begin that way has no value. Values past the int32 range saturate at its
// ends rather than wrapping.
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace stashly {
namespace leading_int_detail {

template <typename Char>
std::optional<int32_t> Parse(std::basic_string_view<Char> text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
  constexpr int64_t kCap = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kCap) magnitude = kCap;
  }
  if (negative) return static_cast<int32_t>(-magnitude);
  return static_cast<int32_t>(magnitude == kCap ? kCap - 1 : magnitude);
}

}  // namespace leading_int_detail

inline std::optional<int32_t> ParseLeadingInt(std::string_view text) {
  return leading_int_detail::Parse(text);
}

inline std::optional<int32_t> ParseLeadingInt(std::wstring_view text) {
  return leading_int_detail::Parse(text);
}

}  // namespace stashly
