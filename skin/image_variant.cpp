#include "skin/image_variant.h"

#include <iterator>

#include "skin/skin_layout.h"

namespace stashly {

std::wstring ImageVariantPath(std::wstring_view path, std::wstring_view suffix) {
  const size_t slash = path.find_last_of(L"\\/");
  const size_t nameStart = slash == std::wstring_view::npos ? 0 : slash + 1;
  size_t dot = path.rfind(L'.');
  if (dot == std::wstring_view::npos || dot < nameStart) dot = path.size();
  std::wstring out(path.substr(0, dot));
  out += suffix;
  out += path.substr(dot);
  return out;
}

std::vector<std::wstring> ImageVariantPaths(std::wstring_view path, uint32_t dpi) {
  std::vector<std::wstring> paths;
  if (dpi <= kBaseDpi) return paths;
  // kImageVariants runs from the smallest scale up.
  for (const ImageVariant& variant : kImageVariants)
    if (variant.dpi >= dpi) paths.push_back(ImageVariantPath(path, variant.suffix));
  for (auto variant = std::rbegin(kImageVariants); variant != std::rend(kImageVariants); ++variant)
    if (variant->dpi < dpi) paths.push_back(ImageVariantPath(path, variant->suffix));
  return paths;
}

}  // namespace stashly
