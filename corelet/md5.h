#pragma once
// MD5 (RFC 1321) and its usual text form. No Windows needed.
#include <array>
#include <cstdint>
#include <string_view>

namespace corelet {

using Md5Digest = std::array<uint8_t, 16>;

Md5Digest Md5(std::string_view bytes);

// The digest as 32 lower-case hexadecimal characters, high nibble first, into out[0..31]; no
// terminator is written.
void Md5Hex(std::string_view bytes, char* out);

}  // namespace corelet
