#pragma once
// A narrow (8-bit) text encoding as the file formats see it. On Windows this is a code page
// (the ANSI one, usually); natively it can be anything that turns bytes into wide text, so
// the formats can be exercised with real code pages without Windows.
#include <string>
#include <string_view>

namespace stashly {

class NarrowCodec {
 public:
  virtual ~NarrowCodec() = default;
  // Decodes bytes of this encoding. Never fails: what cannot be decoded becomes whatever the
  // platform's conversion makes of it.
  virtual std::wstring Decode(std::string_view bytes) const = 0;
  // Encodes `text`; returns false (with `out` unspecified) when some character cannot be
  // represented exactly, so that writing it would change the text.
  virtual bool Encode(std::wstring_view text, std::string& out) const = 0;
};

}  // namespace stashly
