#pragma once
// A real code page on Linux, through iconv, standing in for the Windows ANSI code page.
#include <string>

#include "core/narrow_codec.h"

namespace stashly {

class IconvCodec final : public NarrowCodec {
 public:
  // `name` as iconv knows it: "CP1252", "CP936", ...
  explicit IconvCodec(std::string name) : name_(std::move(name)) {}
  // Bytes without a mapping decode to U+FFFD, one per byte.
  std::wstring Decode(std::string_view bytes) const override;
  bool Encode(std::wstring_view text, std::string& out) const override;

 private:
  std::string name_;
};

}  // namespace stashly
