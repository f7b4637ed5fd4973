#include "skin/element_builders.h"

#include "skin/controls.h"
#include "skin/markup.h"
#include "skin/skin_layout.h"
#include "skin/styled_text.h"
#include "win/gdi.h"

namespace stashly {
namespace {

void MoveTo(HWND window, const SkinRect& rect) {
  ::MoveWindow(window, rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
}

// Push buttons, check boxes and radio buttons begin alike: the window at the element's rectangle,
// then the image strip, which may size a push button to one frame of it.
bool OpenButton(const BuildSite& site, const SkinElement& element, CXButtonImpl& button) {
  const SkinRect rect = site.Rect(element);
  if (!button.Create(site.dialog, win::ToRect(rect), button.ControlStyle())) return false;
  button.SetDpi(site.dpi);
  MoveTo(button.hwnd(), rect);
  button.SetImage(site.Path(element.image), element.imageCount);
  return true;
}

// ... and end alike: the name accessibility tools announce (the window text, never drawn), the
// caption, and shown.
void ShowButton(const SkinElement& element, CXButtonImpl& button) {
  ::SetWindowTextW(button.hwnd(), element.name.c_str());
  button.SetCaption(element.text);
  ::ShowWindow(button.hwnd(), SW_SHOW);
}

// Check boxes and radio buttons draw their caption in the skin's colour in every look, black
// when it gives none; push buttons always in black.
void SetCaptionColor(const SkinElement& element, CXButtonImpl& button) {
  const COLORREF color = element.textColor.empty() ? 0 : ParseColor(element.textColor);
  button.SetCaptionColors(color, false, color, color, color);
}

void Build(const BuildSite& site, const SkinElement& element, CXPngButton& button) {
  if (!OpenButton(site, element, button)) return;
  ::SetWindowLongW(button.hwnd(), GWL_ID, element.msg);
  ShowButton(element, button);
}

void Build(const BuildSite& site, const SkinElement& element, CXCheckButton& check) {
  if (!OpenButton(site, element, check)) return;
  ::SetWindowLongW(check.hwnd(), GWL_ID, element.msg);
  SetCaptionColor(element, check);
  ShowButton(element, check);
}

void Build(const BuildSite& site, const SkinElement& element, CXRadioButton& radio) {
  if (!OpenButton(site, element, radio)) return;
  radio.SetGroup(element.group);
  // Joins its group through the dialog and takes the id as its control id.
  radio.SetRadioId(element.msg);
  SetCaptionColor(element, radio);
  ShowButton(element, radio);
}

// Push buttons, check boxes and radio buttons alike.
void Place(const BuildSite& site, const SkinElement& element, CXButtonImpl& button) {
  if (!button.hwnd()) return;
  MoveTo(button.hwnd(), site.Rect(element));
  button.Rescale(site.dpi);
}

// The background drawn for the site's DPI, whose height replaces the skin's.
void FitEdit(const BuildSite& site, const SkinElement& element, CXPngEdit& edit, UINT flags) {
  edit.SetDpi(site.dpi);
  edit.SetBkImage(site.Path(element.image), 1);
  const SkinRect placed = EditRectForImage(site.Rect(element), edit.GetImageRect().bottom);
  ::SetWindowPos(edit.hwnd(), nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
                 flags);
}

void Build(const BuildSite& site, const SkinElement& element, CXPngEdit& edit) {
  if (!edit.Create(site.dialog, win::ToRect(site.Rect(element)))) return;
  // On top of its siblings, and shown.
  FitEdit(site, element, edit, SWP_SHOWWINDOW);
  ::SetWindowLongW(edit.hwnd(), GWL_ID, element.msg);
  ::ShowWindow(edit.hwnd(), SW_SHOW);
}

void Place(const BuildSite& site, const SkinElement& element, CXPngEdit& edit) {
  if (edit.hwnd()) FitEdit(site, element, edit, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Place(const BuildSite& site, const SkinElement& element, CXStyledText& text) {
  text.SetDpi(site.dpi);
  const SkinRect rect = site.Rect(element);
  text.SetRect(rect.left, rect.top, rect.right, rect.bottom);
}

void Build(const BuildSite& site, const SkinElement& element, CXStyledText& text) {
  // The markup's sizes are made for the DPI as it is parsed.
  text.SetDpi(site.dpi);
  text.SetText(element.text);
  Place(site, element, text);
}

void Place(const BuildSite& site, const SkinElement& element, CXPictureItem& picture) {
  picture.SetImage(LoadImageForDpi(site.Path(element.image), 1, site.dpi));
  picture.SetRect(win::ToRect(site.Rect(element)));
}

void Build(const BuildSite& site, const SkinElement& element, CXPictureItem& picture) {
  picture.SetDrawType(element.drawType);
  Place(site, element, picture);
}

// Calls `use` with `object` as the class CreateSkinElement makes for `kind`.
template <typename Use>
void AsMadeFor(SkinElementKind kind, CXSkinElement& object, Use&& use) {
  switch (kind) {
    case SkinElementKind::kButton:
      return use(static_cast<CXPngButton&>(object));
    case SkinElementKind::kCheck:
      return use(static_cast<CXCheckButton&>(object));
    case SkinElementKind::kRadio:
      return use(static_cast<CXRadioButton&>(object));
    case SkinElementKind::kEdit:
      return use(static_cast<CXPngEdit&>(object));
    case SkinElementKind::kXString:
      return use(static_cast<CXStyledText&>(object));
    case SkinElementKind::kImage:
      return use(static_cast<CXPictureItem&>(object));
  }
}

}  // namespace

std::wstring BuildSite::Path(std::wstring_view value) const {
  std::wstring path(skinDir);
  path += L'\\';
  path += value;
  return path;
}

SkinRect BuildSite::Rect(const SkinElement& element) const {
  return ScaleElementRect(element.Rect(), dpi);
}

void BuildElement(SkinElementKind kind, const BuildSite& site, const SkinElement& element,
                  CXSkinElement& object) {
  AsMadeFor(kind, object, [&](auto& made) { Build(site, element, made); });
}

void PlaceElement(SkinElementKind kind, const BuildSite& site, const SkinElement& element,
                  CXSkinElement& object) {
  AsMadeFor(kind, object, [&](auto& made) { Place(site, element, made); });
}

}  // namespace stashly
