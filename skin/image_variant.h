#pragma once
// Images drawn for a display scale. Beside a skin image name.png a skin may give name@1.5x.png
// (drawn for 144 DPI) and name@2x.png (192 DPI); at another scale the engine draws the one
// closest at or above it, scaled to fit, and only when there is none the largest below it. The
// plain image, made for 96 DPI, is what is left when no variant serves.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stashly {

struct ImageVariant {
  std::wstring_view suffix;
  uint32_t dpi;
};
// From the smallest scale up.
inline constexpr ImageVariant kImageVariants[] = {{L"@1.5x", 144}, {L"@2x", 192}};

// `path` with `suffix` before the extension of its last component ("a\b.png" gives
// "a\b@2x.png"), or at its end when that has none.
std::wstring ImageVariantPath(std::wstring_view path, std::wstring_view suffix);

// The variant files to try, best first, for an image drawn at `dpi`; none at 96 DPI or below.
std::vector<std::wstring> ImageVariantPaths(std::wstring_view path, uint32_t dpi);

}  // namespace stashly
