#pragma once
// Case-insensitive comparison of ASCII names (keywords, switches, extensions, element names).
// Only A-Z fold; every other character, non-ASCII letters included, compares as it is, so the
// result never depends on the user's locale.
#include <string_view>

namespace stashly {

template <typename Char>
constexpr Char AsciiLower(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <typename Char>
constexpr bool IsAsciiLetter(Char c) {
  return AsciiLower(c) >= Char('a') && AsciiLower(c) <= Char('z');
}

template <typename Char>
constexpr bool EqualsAsciiNoCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

constexpr bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  return EqualsAsciiNoCase<char>(a, b);
}
constexpr bool EqualsAsciiNoCase(std::wstring_view a, std::wstring_view b) {
  return EqualsAsciiNoCase<wchar_t>(a, b);
}

constexpr bool StartsWithAsciiNoCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualsAsciiNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace stashly
