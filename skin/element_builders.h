#pragma once
// How a skinned dialog makes the elements of its skin: one builder for each kind. A builder makes
// its element the first time (the window, where the kind has one, as a child of the dialog) and
// lays it out again when the dialog's DPI changes: the element's rectangle at that DPI, its images
// drawn for that scale.
#include <windows.h>

#include <string>
#include <string_view>

#include "skin/skin_description.h"
#include "skin/skin_element.h"

namespace stashly {

// Where elements are made: the dialog, the DPI its skin is laid out for and the folder the
// skin's paths are relative to.
struct BuildSite {
  HWND dialog = nullptr;
  UINT dpi = 0;
  std::wstring_view skinDir;

  // The folder, a backslash, then the value as the skin wrote it.
  std::wstring Path(std::wstring_view value) const;
  // The element's rectangle at the site's DPI.
  SkinRect Rect(const SkinElement& element) const;
};

// Sets up `object`, which CreateSkinElement made for `kind`, from `element`: a windowed kind gets
// its window (a radio button joins its group through the dialog), a windowless one its text or
// image and place.
void BuildElement(SkinElementKind kind, const BuildSite& site, const SkinElement& element,
                  CXSkinElement& object);

// Lays an element built before out again at the site's DPI: place, size and images; the z-order
// stays.
void PlaceElement(SkinElementKind kind, const BuildSite& site, const SkinElement& element,
                  CXSkinElement& object);

}  // namespace stashly
