#include "pictora/draw_geometry.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace pictora {
namespace {

// Boxes in 64-bit so that a position near the int range plus an image size cannot overflow.
struct Box {
  long long left, top, right, bottom;
};

Box ToBox(const Rect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

Rect ClipToRect(const Box& box, const Rect& clip) {
  const long long left = std::max<long long>(box.left, clip.left);
  const long long top = std::max<long long>(box.top, clip.top);
  const long long right = std::min<long long>(box.right, clip.right);
  const long long bottom = std::min<long long>(box.bottom, clip.bottom);
  if (left >= right || top >= bottom) return {};
  // Inside `clip`, so every value fits an int.
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
          static_cast<int>(bottom)};
}

// One slice of an axis: source [src0, src1) drawn onto destination [dst0, dst1).
struct Segment {
  long long src0, src1, dst0, dst1;
};

struct AxisSplit {
  std::array<Segment, 3> segments{};
  int count = 0;
  void Add(long long src0, long long src1, long long dst0, long long dst1) {
    if (src1 > src0 && dst1 > dst0) segments[count++] = {src0, src1, dst0, dst1};
  }
};

// Everything before and after the middle pixel keeps its size and the middle pixel stretches;
// a destination shorter than the frame shows the frame's two ends, cut to fit.
AxisSplit SplitAxis(long long src, long long frameLength, long long dst, long long length) {
  AxisSplit split;
  if (length >= frameLength) {
    const long long before = (frameLength - 1) / 2;
    const long long after = frameLength - 1 - before;
    split.Add(src, src + before, dst, dst + before);
    split.Add(src + before, src + before + 1, dst + before, dst + length - after);
    split.Add(src + before + 1, src + frameLength, dst + length - after, dst + length);
  } else {
    const long long head = length - length / 2;
    const long long tail = length / 2;
    split.Add(src, src + head, dst, dst + head);
    split.Add(src + frameLength - tail, src + frameLength, dst + head, dst + length);
  }
  return split;
}

Rect MakeRect(long long left, long long top, long long right, long long bottom) {
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
          static_cast<int>(bottom)};
}

}  // namespace

bool ImageSizeAcceptable(long long width, long long height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

std::uint8_t ConstantAlpha(int opacity) {
  const int clamped = std::clamp(opacity, 0, 100);
  return static_cast<std::uint8_t>(clamped * 255 / 100);
}

Rect Intersect(const Rect& a, const Rect& b) {
  return ClipToRect(ToBox(a), b);
}

bool UsableDestination(const Rect& dst) {
  return !dst.Empty() && dst.Width() <= kMaxDrawExtent && dst.Height() <= kMaxDrawExtent;
}

Rect StripFrame(int imageWidth, int imageHeight, int count, int index) {
  if (count <= 0 || index < 0 || index >= count || imageHeight <= 0) return {};
  const int frameWidth = imageWidth / count;
  if (frameWidth <= 0) return {};
  return {frameWidth * index, 0, frameWidth * (index + 1), imageHeight};
}

Plan PlanNatural(int imageWidth, int imageHeight, int x, int y, const Rect& clip) {
  Plan plan;
  if (imageWidth <= 0 || imageHeight <= 0) return plan;
  const Box image{x, y, static_cast<long long>(x) + imageWidth,
                  static_cast<long long>(y) + imageHeight};
  const Rect dst = ClipToRect(image, clip);
  if (dst.Empty()) return plan;
  plan.Add(MakeRect(dst.left - image.left, dst.top - image.top, dst.right - image.left,
                    dst.bottom - image.top),
           dst);
  return plan;
}

Plan PlanStretch(int imageWidth, int imageHeight, const Rect& src, const Rect& dst) {
  Plan plan;
  if (src.Empty() || !UsableDestination(dst)) return plan;
  const Rect inside = Intersect(src, Rect{0, 0, imageWidth, imageHeight});
  if (inside.Empty()) return plan;
  // Source offsets are at most 2^32 and destination extents at most kMaxDrawExtent: no
  // overflow in the products.
  const long long sw = src.Width(), sh = src.Height();
  const long long dw = dst.Width(), dh = dst.Height();
  const auto mapX = [&](long long sx) { return dst.left + (sx - src.left) * dw / sw; };
  const auto mapY = [&](long long sy) { return dst.top + (sy - src.top) * dh / sh; };
  plan.Add(inside,
           MakeRect(mapX(inside.left), mapY(inside.top), mapX(inside.right), mapY(inside.bottom)));
  return plan;
}

Plan PlanNineGrid(const Rect& frame, const Rect& dst) {
  Plan plan;
  if (frame.Empty() || !UsableDestination(dst)) return plan;
  const AxisSplit columns = SplitAxis(frame.left, frame.Width(), dst.left, dst.Width());
  const AxisSplit rows = SplitAxis(frame.top, frame.Height(), dst.top, dst.Height());
  for (int r = 0; r < rows.count; ++r) {
    const Segment& row = rows.segments[r];
    for (int c = 0; c < columns.count; ++c) {
      const Segment& column = columns.segments[c];
      plan.Add(MakeRect(column.src0, row.src0, column.src1, row.src1),
               MakeRect(column.dst0, row.dst0, column.dst1, row.dst1));
    }
  }
  return plan;
}

Plan PlanCentred(int imageWidth, int imageHeight, const Rect& dst) {
  if (dst.Empty()) return {};
  const long long x = dst.left + (dst.Width() - imageWidth) / 2;
  const long long y = dst.top + (dst.Height() - imageHeight) / 2;
  if (x < INT_MIN || y < INT_MIN) return {};
  return PlanNatural(imageWidth, imageHeight, static_cast<int>(x), static_cast<int>(y), dst);
}

void TilePixels(const std::uint32_t* image, int imageWidth, int imageHeight, std::uint32_t* out,
                int outWidth, int outHeight, long long phaseX, long long phaseY) {
  if (imageWidth <= 0 || imageHeight <= 0 || outWidth <= 0 || outHeight <= 0) return;
  const long long startX = ((phaseX % imageWidth) + imageWidth) % imageWidth;
  const long long startY = ((phaseY % imageHeight) + imageHeight) % imageHeight;
  for (int row = 0; row < outHeight; ++row) {
    const std::uint32_t* source =
        image + static_cast<size_t>((startY + row) % imageHeight) * imageWidth;
    std::uint32_t* target = out + static_cast<size_t>(row) * outWidth;
    long long column = startX;
    int done = 0;
    while (done < outWidth) {
      const int run = static_cast<int>(std::min<long long>(imageWidth - column, outWidth - done));
      std::memcpy(target + done, source + column, static_cast<size_t>(run) * sizeof(*target));
      done += run;
      column = 0;
    }
  }
}

}  // namespace pictora
