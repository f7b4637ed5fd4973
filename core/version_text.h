#pragma once
// How a file's version is written: "%d.%d.%d.%d" of the four 16-bit parts of the fixed file
// version, most significant first. At most 23 characters.
#include <cstdint>
#include <string>

#include "core/number_text.h"

namespace stashly {

// `mostSignificant` and `leastSignificant` are the two 32-bit words of the fixed file version.
inline std::wstring FormatFileVersion(uint32_t mostSignificant, uint32_t leastSignificant) {
  return DecimalText(mostSignificant >> 16) + L'.' + DecimalText(mostSignificant & 0xFFFF) + L'.' +
         DecimalText(leastSignificant >> 16) + L'.' + DecimalText(leastSignificant & 0xFFFF);
}

}  // namespace stashly
