#pragma once
// A real code page on Linux, through iconv, standing in for the Windows ANSI code page.
// Not thread-safe: one codec per thread.
#include <iconv.h>

#include <string>

#include "core/narrow_codec.h"

namespace stashly {

class IconvCodec final : public NarrowCodec {
 public:
  // `name` as iconv knows it: "CP1252", "CP936", ...
  explicit IconvCodec(const std::string& name);
  ~IconvCodec() override;
  IconvCodec(const IconvCodec&) = delete;
  IconvCodec& operator=(const IconvCodec&) = delete;

  // Bytes without a mapping decode to U+FFFD, one per byte.
  std::wstring Decode(std::string_view bytes) const override;
  bool Encode(std::wstring_view text, std::string& out) const override;

 private:
  iconv_t decoder_;
  iconv_t encoder_;
};

}  // namespace stashly
