#include "skin/styled_text.h"

#include "skin/markup.h"
#include "skin/skin_layout.h"
#include "win/dpi.h"
#include "win/gdi.h"

namespace stashly {
namespace {

LOGFONTW LogFontOf(HFONT font) {
  LOGFONTW logFont{};
  HGDIOBJ source = font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT);
  if (!::GetObjectW(source, sizeof logFont, &logFont)) {
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont);
  }
  return logFont;
}

win::UniqueFont CopyFont(HFONT font) {
  LOGFONTW logFont = LogFontOf(font);
  return win::UniqueFont(::CreateFontIndirectW(&logFont));
}

}  // namespace

LOGFONTW DefaultGuiLogFont(UINT dpi) {
  LOGFONTW logFont = LogFontOf(nullptr);
  if (dpi) logFont.lfHeight = ScaleBetweenDpi(logFont.lfHeight, win::SystemDpi(), dpi);
  return logFont;
}

CXTextRun::CXTextRun() : font(CopyFont(nullptr)) { face = LogFontOf(nullptr).lfFaceName; }

CXTextRun::CXTextRun(const CXTextRun& other)
    : text(other.text),
      color(other.color),
      font(CopyFont(other.font.get())),
      rect(other.rect),
      bold(other.bold),
      italic(other.italic),
      underline(other.underline),
      size(other.size),
      face(other.face) {}

CXTextRun& CXTextRun::operator=(const CXTextRun& other) {
  if (this != &other) *this = CXTextRun(other);
  return *this;
}

void CXStyledText::SetText(const std::wstring& text) {
  text_ = text;
  runs_.clear();
  measured_ = false;
  const LOGFONTW base = DefaultGuiLogFont(dpi_);
  for (const StyledRun& parsed : ParseStyledText(text)) {
    CXTextRun run;
    run.text = parsed.text;
    run.color = parsed.color;
    LOGFONTW logFont = base;
    if (parsed.fontRemade) {
      if (parsed.face) run.face = *parsed.face;
      run.size = parsed.size;
      run.bold = parsed.bold;
      run.italic = parsed.italic;
      run.underline = parsed.underline;
      lstrcpynW(logFont.lfFaceName, TruncateFaceName(run.face).c_str(), LF_FACESIZE);
      logFont.lfHeight = ScaleToDpi(run.size, dpi_);
      // A bold value of 0 leaves the weight alone rather than making a heavy face lighter.
      if (run.bold) logFont.lfWeight = FW_BOLD;
      if (run.italic) logFont.lfItalic = 1;
      if (run.underline) logFont.lfUnderline = 1;
    }
    if (parsed.fontRemade || dpi_) {
      if (HFONT made = ::CreateFontIndirectW(&logFont)) run.font.reset(made);
    }
    runs_.push_back(std::move(run));
  }
}

void CXStyledText::SetRect(int left, int top, int right, int bottom) {
  const RECT rect{left, top, right, bottom};
  if (::EqualRect(&rect, &rect_)) return;
  rect_ = rect;
  measured_ = false;
}

void CXStyledText::SetDpi(UINT dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  SetText(text_);
}

void CXStyledText::Measure(HDC dc) {
  int x = rect_.left;
  for (CXTextRun& run : runs_) {
    win::ScopedSelectObject select(dc, run.font.get());
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, run.text.c_str(), static_cast<int>(run.text.size()), &extent);
    run.rect = rect_;
    run.rect.left = x;
    x = SaturatingAdd(x, extent.cx);
  }
  measured_ = true;
}

void CXStyledText::Draw(HDC dc, UINT format) {
  if (!dc) return;
  if (!measured_) Measure(dc);
  for (const CXTextRun& run : runs_)
    DrawTextRun(dc, run.text, run.rect, run.color, format, 0, run.font.get());
}

void DrawTextRun(HDC dc, const std::wstring& text, const RECT& rect, COLORREF color, UINT format,
                 UINT styleFlags, HFONT font, UINT dpi) {
  if (!dc) return;
  LOGFONTW logFont = font ? LogFontOf(font) : DefaultGuiLogFont(dpi);
  if (styleFlags & kRunBold) logFont.lfWeight = FW_BOLD;
  if (styleFlags & kRunUnderline) logFont.lfUnderline = 1;
  if (styleFlags & kRunItalic) logFont.lfItalic = 1;
  if (styleFlags & kRunStrikeOut) logFont.lfStrikeOut = 1;
  win::UniqueFont made(::CreateFontIndirectW(&logFont));
  win::ScopedSelectObject select(dc, made.get());
  ::SetBkMode(dc, TRANSPARENT);
  COLORREF previousColor = ::SetTextColor(dc, color);

  SIZE extent{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  std::wstring shown = BreakTextToFit(text, rect.right - rect.left, extent.cx);
  RECT target = rect;
  ::DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &target, format);
  ::SetTextColor(dc, previousColor);
}

}  // namespace stashly
