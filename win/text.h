#pragma once
// Conversions between wide text and a code page, with an honest answer to "was anything lost".
#include <windows.h>

#include <string>
#include <string_view>

#include "core/narrow_codec.h"

namespace win {

std::wstring ToWide(std::string_view text, UINT codePage);

// Converts as WideCharToMultiByte does with no default character given. When `lost` is not
// null it tells whether the result fails to convert back to `text` exactly (a character
// replaced by the default character or by a "best fit" look-alike).
std::string ToNarrow(std::wstring_view text, UINT codePage, bool* lost = nullptr);

// A code page as the file formats see it (CP_ACP, CP_THREAD_ACP, 936, ...).
class CodePageCodec final : public stashly::NarrowCodec {
 public:
  explicit CodePageCodec(UINT codePage) : codePage_(codePage) {}
  std::wstring Decode(std::string_view bytes) const override { return ToWide(bytes, codePage_); }
  bool Encode(std::wstring_view text, std::string& out) const override;

 private:
  UINT codePage_;
};

}  // namespace win
