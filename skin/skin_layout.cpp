#include "skin/skin_layout.h"

#include <algorithm>
#include <limits>

namespace stashly {
namespace {

int32_t Saturate(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

bool IsHighSurrogate(wchar_t c) {
  const auto u = static_cast<uint32_t>(c);
  return u >= 0xD800 && u < 0xDC00;
}

bool IsLowSurrogate(wchar_t c) {
  const auto u = static_cast<uint32_t>(c);
  return u >= 0xDC00 && u < 0xE000;
}

}  // namespace

int32_t SkinRect::Width() const {
  return Saturate(int64_t{right} - left);
}
int32_t SkinRect::Height() const {
  return Saturate(int64_t{bottom} - top);
}

int32_t SaturatingAdd(int32_t a, int32_t b) {
  return Saturate(int64_t{a} + b);
}

int32_t ScaleBetweenDpi(int32_t value, uint32_t fromDpi, uint32_t toDpi) {
  if (fromDpi == 0 || toDpi == 0 || fromDpi == toDpi) return value;
  const int64_t product = int64_t{value} * toDpi;
  const int64_t magnitude = ((product < 0 ? -product : product) + fromDpi / 2) / fromDpi;
  return Saturate(product < 0 ? -magnitude : magnitude);
}

int32_t ScaleToDpi(int32_t value, uint32_t dpi) {
  return ScaleBetweenDpi(value, kBaseDpi, dpi);
}

SkinRect ScaleElementRect(const SkinRect& rect, uint32_t dpi) {
  const int32_t left = ScaleToDpi(rect.left, dpi);
  const int32_t top = ScaleToDpi(rect.top, dpi);
  return {left, top, SaturatingAdd(left, ScaleToDpi(rect.Width(), dpi)),
          SaturatingAdd(top, ScaleToDpi(rect.Height(), dpi))};
}

SkinSize ScaledFrameSize(int32_t imageWidth, int32_t imageHeight, int32_t frameCount,
                         uint32_t dpi) {
  return {ScaleToDpi(FrameWidth(imageWidth, frameCount), dpi), ScaleToDpi(imageHeight, dpi)};
}

SkinPoint TitleIconPosition(const SkinRect& client, uint32_t dpi) {
  return {SaturatingAdd(client.left, ScaleToDpi(5, dpi)), ScaleToDpi(7, dpi)};
}

SkinRect TitleIconRect(const SkinRect& client, SkinSize frame, uint32_t dpi) {
  const SkinPoint at = TitleIconPosition(client, dpi);
  return {at.x, at.y, SaturatingAdd(at.x, frame.width), SaturatingAdd(at.y, frame.height)};
}

SkinRect CloseButtonRect(const SkinRect& client, SkinSize frame, uint32_t dpi) {
  const int32_t right = SaturatingAdd(client.right, -ScaleToDpi(5, dpi));
  const int32_t top = ScaleToDpi(1, dpi);
  return {SaturatingAdd(right, -frame.width), top, right, SaturatingAdd(top, frame.height)};
}

SkinRect TitleTextRect(const SkinRect& client, std::optional<int32_t> iconRight, uint32_t dpi) {
  const int32_t left = iconRight ? SaturatingAdd(*iconRight, ScaleToDpi(4, dpi))
                                 : SaturatingAdd(client.left, ScaleToDpi(10, dpi));
  return {left, ScaleToDpi(7, dpi), client.right, ScaleToDpi(27, dpi)};
}

int32_t FrameWidth(int32_t imageWidth, int32_t frameCount) {
  return frameCount > 0 ? imageWidth / frameCount : imageWidth;
}

int32_t CheckedOverlaySourceX(int32_t frameCount, int32_t state, int32_t frameWidth) {
  return Saturate((int64_t{frameCount / 2} + state) * frameWidth);
}

StripSource StripSourceFor(int32_t imageWidth, int32_t frameCount, int32_t state, bool checkStyle,
                           bool checked) {
  if (frameCount <= 0) return {0, imageWidth, std::nullopt};
  const int32_t frameWidth = FrameWidth(imageWidth, frameCount);
  // Checked looks take the second half of a check strip; a one-frame strip has no overlay.
  const bool hasOverlay = checkStyle && frameCount >= 2;
  const int32_t looks = hasOverlay ? frameCount / 2 : frameCount;
  const int32_t look = std::clamp(state, 0, looks - 1);
  StripSource source{Saturate(int64_t{look} * frameWidth), frameWidth, std::nullopt};
  if (hasOverlay && checked)
    source.overlayLeft = CheckedOverlaySourceX(frameCount, look, frameWidth);
  return source;
}

SkinSize ButtonSizeForImage(int32_t imageWidth, int32_t imageHeight, int32_t frameCount) {
  return {FrameWidth(imageWidth, frameCount), imageHeight};
}

SkinRect CaptionRect(const SkinRect& client, int32_t offsetX, int32_t offsetY) {
  return {SaturatingAdd(client.left, offsetX), SaturatingAdd(client.top, offsetY), client.right,
          client.bottom};
}

uint32_t CaptionFormat(int32_t textAlign) {
  switch (textAlign) {
    case 1:
      return 0x25;  // DT_CENTER | DT_VCENTER | DT_SINGLELINE
    case 2:
      return 0x2;  // DT_RIGHT
    default:
      return 0;
  }
}

std::array<uint32_t, 4> CaptionColors(uint32_t normal, bool perState, uint32_t hover,
                                      uint32_t pressed, uint32_t fourth) {
  if (perState) return {normal, hover, pressed, fourth};
  return {normal, normal, normal, normal};
}

std::optional<size_t> LineBreakIndex(std::wstring_view text, int32_t rectWidth, int32_t textWidth) {
  if (textWidth <= 0 || rectWidth >= textWidth) return std::nullopt;
  const uint64_t fits = static_cast<uint64_t>(std::max(rectWidth, 0));
  // 64 bits: the product of a long text and a wide rectangle overflows 32.
  size_t index = static_cast<size_t>(text.size() * fits / static_cast<uint64_t>(textWidth));
  if (index > 0 && index < text.size() && IsHighSurrogate(text[index - 1]) &&
      IsLowSurrogate(text[index]))
    --index;
  if (index == 0) return std::nullopt;
  return index;
}

std::wstring BreakTextToFit(std::wstring_view text, int32_t rectWidth, int32_t textWidth) {
  std::wstring out(text);
  if (std::optional<size_t> index = LineBreakIndex(text, rectWidth, textWidth))
    out.insert(*index, L"\r\n");
  return out;
}

SkinRect EditInnerRect(int32_t width, int32_t height, uint32_t dpi) {
  const int32_t near = ScaleToDpi(5, dpi);
  const int32_t far = ScaleToDpi(2, dpi);
  const int32_t right = std::max(SaturatingAdd(width, -far), near);
  const int32_t bottom = std::max(SaturatingAdd(height, -far), near);
  return {near, near, right, bottom};
}

SkinRect EditRectForImage(const SkinRect& element, int32_t imageHeight) {
  return {element.left, element.top, element.right, SaturatingAdd(element.top, imageHeight)};
}

}  // namespace stashly
