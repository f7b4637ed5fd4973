#include "pictora/image.h"

#include "pictora/resample.h"

#include <climits>
#include <cstdint>

namespace pictora {
namespace {

BLENDFUNCTION BlendFor(int opacity) {
  return {AC_SRC_OVER, 0, ConstantAlpha(opacity), AC_SRC_ALPHA};
}

BOOL BlendFrom(HDC dc, HBITMAP source, const Plan& plan, int opacity) {
  win::UniqueDc memory(::CreateCompatibleDC(dc));
  if (!memory) return FALSE;
  win::ScopedSelectObject select(memory.get(), source);
  if (!select) return FALSE;
  const BLENDFUNCTION blend = BlendFor(opacity);
  BOOL all = TRUE;
  for (const Blit& blit : plan) {
    if (!::AlphaBlend(dc, blit.dst.left, blit.dst.top, static_cast<int>(blit.dst.Width()),
                      static_cast<int>(blit.dst.Height()), memory.get(), blit.src.left,
                      blit.src.top, static_cast<int>(blit.src.Width()),
                      static_cast<int>(blit.src.Height()), blend)) {
      all = FALSE;
    }
  }
  return all;
}

}  // namespace

void Image::Unload() {
  image_ = {};
}

BOOL Image::IsLoaded() {
  return image_ ? TRUE : FALSE;
}

int Image::GetType() {
  return type_;
}

DWORD Image::GetPixel(int x, int y) {
  if (!image_ || x < 0 || y < 0 || x >= image_.width || y >= image_.height) return 0;
  const auto* pixels = static_cast<const std::uint32_t*>(image_.bits);
  return pixels[static_cast<size_t>(y) * image_.width + x];
}

ULONGLONG Image::GetSize() {
  return PackImageSize(image_.width, image_.height);
}

BOOL Image::LoadFromMemory(const void* data, UINT size) {
  image_ = {};
  win::ScopedComInit com;
  if (!com.Usable()) return FALSE;
  image_ = DecodeMemory(data, size, 0);
  return IsLoaded();
}

BOOL Image::Load(const wchar_t* path, int frameIndex) {
  image_ = {};
  win::ScopedComInit com;
  if (!com.Usable()) return FALSE;
  image_ = DecodeFile(path, frameIndex);
  return IsLoaded();
}

BOOL Image::Draw(HDC dc, int left, int top, int right, int bottom, int x, int y, int opacity, int) {
  const Rect dst{left, top, right, bottom};
  if (!CanDraw(dc, dst)) return FALSE;
  return Blend(dc, PlanNatural(image_.width, image_.height, x, y, dst), opacity);
}

BOOL Image::DrawPart(HDC dc, int left, int top, int right, int bottom, int, int, int srcLeft,
                     int srcWidth, int srcTop, int srcHeight, int opacity) {
  const Rect dst{left, top, right, bottom};
  if (!CanDraw(dc, dst) || srcWidth <= 0 || srcHeight <= 0) return FALSE;
  const long long srcRight = static_cast<long long>(srcLeft) + srcWidth;
  const long long srcBottom = static_cast<long long>(srcTop) + srcHeight;
  if (srcRight > INT_MAX || srcBottom > INT_MAX) return FALSE;
  const Rect src{srcLeft, srcTop, static_cast<int>(srcRight), static_cast<int>(srcBottom)};
  const Plan plan = PlanStretch(image_.width, image_.height, src, dst);
  if (plan.count == 0) return FALSE;
  return Blend(dc, plan, opacity);
}

BOOL Image::DrawMode1(HDC dc, int left, int top, int right, int bottom, int frameCount,
                      int frameIndex, int opacity) {
  const Rect dst{left, top, right, bottom};
  if (!CanDraw(dc, dst)) return FALSE;
  const Rect frame = StripFrame(image_.width, image_.height, frameCount, frameIndex);
  const Plan plan = PlanStretch(image_.width, image_.height, frame, dst);
  if (plan.count == 0) return FALSE;
  return Blend(dc, plan, opacity);
}

BOOL Image::DrawMode2(HDC dc, int left, int top, int right, int bottom, int frameCount,
                      int frameIndex, int opacity) {
  const Rect dst{left, top, right, bottom};
  if (!CanDraw(dc, dst)) return FALSE;
  const Rect frame = StripFrame(image_.width, image_.height, frameCount, frameIndex);
  const Plan plan = PlanNineGrid(frame, dst);
  if (plan.count == 0) return FALSE;
  return Blend(dc, plan, opacity);
}

BOOL Image::DrawMode3(HDC dc, int left, int top, int right, int bottom, int opacity) {
  const Rect dst{left, top, right, bottom};
  if (!CanDraw(dc, dst)) return FALSE;
  return Tile(dc, dst, opacity);
}

BOOL Image::DrawMode4(HDC dc, int left, int top, int right, int bottom, int opacity) {
  const Rect dst{left, top, right, bottom};
  if (!CanDraw(dc, dst)) return FALSE;
  return Blend(dc, PlanCentred(image_.width, image_.height, dst), opacity);
}

BOOL Image::Resample(int frameCount, int frameWidth, int frameHeight) {
  if (!image_ || frameCount < 1 || frameWidth < 1 || frameHeight < 1) return FALSE;
  const long long width = static_cast<long long>(frameCount) * frameWidth;
  if (!ImageSizeAcceptable(width, frameHeight)) return FALSE;
  DibSection scaled = MakeDibSection(static_cast<int>(width), frameHeight);
  if (!scaled ||
      !ResampleStrip(static_cast<const std::uint32_t*>(image_.bits), image_.width, image_.height,
                     frameCount, static_cast<std::uint32_t*>(scaled.bits), frameWidth, frameHeight))
    return FALSE;
  image_ = std::move(scaled);
  return TRUE;
}

bool Image::CanDraw(HDC dc, const Rect& dst) const {
  return image_ && dc && !dst.Empty();
}

BOOL Image::Blend(HDC dc, const Plan& plan, int opacity) const {
  if (plan.count == 0 || ConstantAlpha(opacity) == 0) return TRUE;
  return BlendFrom(dc, image_.bitmap.get(), plan, opacity);
}

// Tiles only the part of the rectangle the DC can show, into one scratch bitmap drawn with a
// single blend: no seams, no overlap under partial opacity, and a bounded cost for tiny images
// tiled over large areas.
BOOL Image::Tile(HDC dc, const Rect& dst, int opacity) const {
  RECT clipBox{};
  const int region = ::GetClipBox(dc, &clipBox);
  if (region == ERROR) return FALSE;
  if (region == NULLREGION || ConstantAlpha(opacity) == 0) return TRUE;
  const Rect area = Intersect(dst, Rect{clipBox.left, clipBox.top, clipBox.right, clipBox.bottom});
  if (area.Empty()) return TRUE;
  if (!UsableDestination(area)) return FALSE;

  const int width = static_cast<int>(area.Width());
  const int height = static_cast<int>(area.Height());
  DibSection canvas = MakeDibSection(width, height);
  if (!canvas) return FALSE;
  TilePixels(static_cast<const std::uint32_t*>(image_.bits), image_.width, image_.height,
             static_cast<std::uint32_t*>(canvas.bits), width, height,
             static_cast<long long>(area.left) - dst.left,
             static_cast<long long>(area.top) - dst.top);
  Plan plan;
  plan.Add(Rect{0, 0, width, height}, area);
  return BlendFrom(dc, canvas.bitmap.get(), plan, opacity);
}

}  // namespace pictora
