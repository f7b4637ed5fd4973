#pragma once
// Numbers as text, without the C library's formatting functions: those bring their whole
// floating-point printing into every binary that calls them.
#include <cstdint>
#include <string>

namespace stashly {

// `value` in decimal, as "%u" writes it.
template <typename Char = wchar_t>
std::basic_string<Char> DecimalText(uint64_t value) {
  Char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<Char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::basic_string<Char> text;
  while (count > 0) text.push_back(digits[--count]);
  return text;
}

// The low `width` hexadecimal digits of `value`, upper case, zero-padded: "%0*X".
template <typename Char = char>
std::basic_string<Char> HexText(uint64_t value, int width) {
  std::basic_string<Char> text(static_cast<size_t>(width), Char('0'));
  for (int i = width - 1; i >= 0; --i, value >>= 4)
    text[static_cast<size_t>(i)] = static_cast<Char>("0123456789ABCDEF"[value & 0xF]);
  return text;
}

}  // namespace stashly
