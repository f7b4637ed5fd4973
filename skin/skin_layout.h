#pragma once
// Layout arithmetic of the skinned dialog and its controls, in pixels. Rectangles are
// left/top/right/bottom like a Windows RECT; sums saturate at the int32 range instead of
// wrapping, since the numbers come straight from skin files.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stashly {

struct SkinRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t Width() const;
  int32_t Height() const;
  bool operator==(const SkinRect&) const = default;
};

struct SkinPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const SkinPoint&) const = default;
};

struct SkinSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const SkinSize&) const = default;
};

int32_t SaturatingAdd(int32_t a, int32_t b);

// Skins are drawn for 96 DPI. At another DPI every size and position a skin gives, and every
// fixed margin of the dialogs and controls, is its 96-DPI figure times dpi / 96, rounded to the
// nearest pixel with halves away from zero (as MulDiv rounds): one rule everywhere, so that the
// program and the images drawn for a scale agree to the pixel. DPI 0 means not scaled.
inline constexpr uint32_t kBaseDpi = 96;
int32_t ScaleToDpi(int32_t value, uint32_t dpi);
// A figure made for `fromDpi` at `toDpi` (the system's font at a window's DPI); unchanged when
// either is 0.
int32_t ScaleBetweenDpi(int32_t value, uint32_t fromDpi, uint32_t toDpi);
// An element's rectangle at `dpi`: its position and its size are scaled each on its own, so an
// element has the same size wherever it sits, the size its images are drawn at.
SkinRect ScaleElementRect(const SkinRect& rect, uint32_t dpi);
// One frame of a strip at `dpi`: the 96-DPI image's frame (width / frameCount, integer division;
// a count of 0 or less is one frame) scaled.
SkinSize ScaledFrameSize(int32_t imageWidth, int32_t imageHeight, int32_t frameCount, uint32_t dpi);

// Title bar, in the dialog's client coordinates (`client` is its client rectangle); the margins
// are 96-DPI figures scaled to `dpi`.
SkinPoint TitleIconPosition(const SkinRect& client, uint32_t dpi = kBaseDpi);  // (left + 5, 7)
// One frame at that corner.
SkinRect TitleIconRect(const SkinRect& client, SkinSize frame, uint32_t dpi = kBaseDpi);
// Top-right at (right - 5, 1).
SkinRect CloseButtonRect(const SkinRect& client, SkinSize frame, uint32_t dpi = kBaseDpi);
// From the icon's right edge + 4 when there is an icon, else left + 10; top 7, bottom 27.
SkinRect TitleTextRect(const SkinRect& client, std::optional<int32_t> iconRight,
                       uint32_t dpi = kBaseDpi);

// Image strips: `frameCount` frames of equal width side by side; frame i shows look state i
// (0 normal, 1 hover, 2 pressed). Check boxes and radios hold their looks in the first half
// and the matching checked overlays in the second half.
int32_t FrameWidth(int32_t imageWidth, int32_t frameCount);  // whole width when count <= 0
// Source x of the checked overlay for `state`, as ((count / 2) + state) * frame width.
int32_t CheckedOverlaySourceX(int32_t frameCount, int32_t state, int32_t frameWidth);

// What to copy from a strip for one paint. A state past the strip's looks shows the last look
// (a one-frame strip shows the same picture in every state) rather than reading past the image.
struct StripSource {
  int32_t left = 0;
  int32_t width = 0;
  std::optional<int32_t> overlayLeft;  // the checked overlay, drawn over the look
  bool operator==(const StripSource&) const = default;
};
StripSource StripSourceFor(int32_t imageWidth, int32_t frameCount, int32_t state, bool checkStyle,
                           bool checked);

// The size a push button takes from its strip: one frame (integer division) by the image
// height. Only meaningful for frameCount > 0.
SkinSize ButtonSizeForImage(int32_t imageWidth, int32_t imageHeight, int32_t frameCount);

// The caption rectangle: the client rectangle with left and top moved by the text offset.
SkinRect CaptionRect(const SkinRect& client, int32_t offsetX, int32_t offsetY);

// DrawText format for a text alignment: 1 centred on one line (0x25), 2 right (2), else 0.
uint32_t CaptionFormat(int32_t textAlign);

// Caption colours for the looks 0, 1, 2 and the unused fourth slot.
std::array<uint32_t, 4> CaptionColors(uint32_t normal, bool perState, uint32_t hover,
                                      uint32_t pressed, uint32_t fourth);

// Where a run too wide for its rectangle gets its single line break: length * rectWidth /
// textWidth (integer division), only when rectWidth < textWidth. No break when the text has no
// width, or when the index would be 0 (nothing fits; a break would only push the text down a
// line). An index inside a surrogate pair moves back before the pair.
std::optional<size_t> LineBreakIndex(std::wstring_view text, int32_t rectWidth, int32_t textWidth);
// `text` with CR LF inserted at LineBreakIndex, or unchanged.
std::wstring BreakTextToFit(std::wstring_view text, int32_t rectWidth, int32_t textWidth);

// The inner edit's rectangle (left, top, right, bottom) in an edit box of client size width x
// height: margins 5, 5, 2, 2 (at 96 DPI); never inside out when the box is smaller than its
// margins.
SkinRect EditInnerRect(int32_t width, int32_t height, uint32_t dpi = kBaseDpi);

// An edit box's rectangle once its background is known: the image's height replaces the
// skin's (0 when no image loaded).
SkinRect EditRectForImage(const SkinRect& element, int32_t imageHeight);

}  // namespace stashly
