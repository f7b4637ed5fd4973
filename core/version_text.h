#pragma once
// How a file's version is written: "%d.%d.%d.%d" of the four 16-bit parts of the fixed file
// version, most significant first. At most 23 characters.
#include <cstdint>
#include <cstdio>
#include <string>

namespace stashly {

// `mostSignificant` and `leastSignificant` are the two 32-bit words of the fixed file version.
inline std::wstring FormatFileVersion(uint32_t mostSignificant, uint32_t leastSignificant) {
  char text[32];
  const int length =
      std::snprintf(text, sizeof text, "%u.%u.%u.%u", mostSignificant >> 16,
                    mostSignificant & 0xFFFF, leastSignificant >> 16, leastSignificant & 0xFFFF);
  return std::wstring(text, text + (length > 0 ? length : 0));
}

}  // namespace stashly
