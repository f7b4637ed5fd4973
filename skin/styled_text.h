#pragma once
// Styled text of the skins: runs with their own font and colour, drawn left to right on one line.
#include <windows.h>

#include <string>
#include <vector>

#include "skin/skin_element.h"
#include "win/unique_any.h"

namespace stashly {

// Style flags of DrawTextRun, added to the font it is given.
inline constexpr UINT kRunBold = 1;
inline constexpr UINT kRunUnderline = 2;
inline constexpr UINT kRunItalic = 4;
inline constexpr UINT kRunStrikeOut = 8;

// One run. It owns its font; a copy makes a new font from the source's LOGFONT.
class CXTextRun {
 public:
  CXTextRun();  // defaults: empty text, black, a font made from DEFAULT_GUI_FONT
  CXTextRun(const CXTextRun& other);
  CXTextRun& operator=(const CXTextRun& other);
  CXTextRun(CXTextRun&&) noexcept = default;
  CXTextRun& operator=(CXTextRun&&) noexcept = default;

  std::wstring text;
  COLORREF color = 0;
  win::UniqueFont font;
  RECT rect{};
  int bold = 0;
  int italic = 0;
  int underline = 0;
  int size = -12;
  std::wstring face;
};

// A block of runs parsed once from its text, measured on its first draw and again after its
// rectangle or its DPI changed.
class CXStyledText : public CXSkinElement {
 public:
  CXStyledText() = default;
  void SetText(const std::wstring& text);
  void SetRect(int left, int top, int right, int bottom);
  // The DPI the block is drawn at: the markup's sizes are 96-DPI figures and the default font
  // is the system's; 0 (the start) draws both as they are.
  void SetDpi(UINT dpi);
  void Draw(HDC dc, UINT format);

  const std::wstring& text() const { return text_; }
  const RECT& rect() const { return rect_; }
  const std::vector<CXTextRun>& runs() const { return runs_; }
  bool measured() const { return measured_; }

 private:
  void Measure(HDC dc);

  std::wstring text_;
  RECT rect_{};
  UINT dpi_ = 0;
  std::vector<CXTextRun> runs_;
  bool measured_ = false;
};

// The system's default GUI font (DEFAULT_GUI_FONT), made for the system's DPI, at `dpi`; 0 leaves
// it as it is.
LOGFONTW DefaultGuiLogFont(UINT dpi);

// Draws `text` into `rect` with a font made from `font` (DEFAULT_GUI_FONT at `dpi` when null)
// plus `styleFlags`, transparent background, colour `color`. Text wider than the rectangle gets
// one line break at the proportional index.
void DrawTextRun(HDC dc, const std::wstring& text, const RECT& rect, COLORREF color, UINT format,
                 UINT styleFlags, HFONT font, UINT dpi = 0);

}  // namespace stashly
