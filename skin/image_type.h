#pragma once
// The image type an image object is made for, from the file's extension (case-insensitive):
// ".png" 1, ".jpg" 2, ".bmp" 3, anything else 0. Only the last path component counts, so a
// dot in a folder name is not an extension.
#include <string_view>

#include "core/ascii.h"

namespace stashly {

inline int ImageTypeForPath(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"\\/");
  std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind(L'.');
  if (dot == std::wstring_view::npos) return 0;
  std::wstring_view extension = name.substr(dot);
  if (EqualsAsciiNoCase(extension, L".png")) return 1;
  if (EqualsAsciiNoCase(extension, L".jpg")) return 2;
  if (EqualsAsciiNoCase(extension, L".bmp")) return 3;
  return 0;
}

}  // namespace stashly
