#pragma once
// Where each drawing operation of the image provider takes its pixels from and puts them: pure
// arithmetic, no Windows. A plan is a short list of blits (source part of the image, destination
// part of the target), each drawn by one stretching blend.
#include <array>
#include <cstdint>

namespace pictora {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  long long Width() const { return static_cast<long long>(right) - left; }
  long long Height() const { return static_cast<long long>(bottom) - top; }
  bool Empty() const { return Width() <= 0 || Height() <= 0; }
  bool operator==(const Rect&) const = default;
};

struct Blit {
  Rect src;
  Rect dst;
  bool operator==(const Blit&) const = default;
};

// At most nine blits (a nine-grid); no allocation, so nothing here can throw.
struct Plan {
  std::array<Blit, 9> blits{};
  int count = 0;

  void Add(const Rect& src, const Rect& dst) {
    if (!src.Empty() && !dst.Empty() && count < static_cast<int>(blits.size())) {
      blits[count++] = {src, dst};
    }
  }
  const Blit* begin() const { return blits.data(); }
  const Blit* end() const { return blits.data() + count; }
};

// Largest image the provider decodes: per side, and in all.
inline constexpr long long kMaxImageSide = 16384;
inline constexpr long long kMaxImagePixels = 16384LL * 1024;
// Largest destination a stretching operation accepts on either axis.
inline constexpr long long kMaxDrawExtent = 32768;

bool ImageSizeAcceptable(long long width, long long height);

// Blend constant alpha for an opacity of 0..100 (clamped).
std::uint8_t ConstantAlpha(int opacity);

// Intersection; empty (all zero) when the two do not overlap.
Rect Intersect(const Rect& a, const Rect& b);

// A destination rectangle a stretching operation may draw into.
bool UsableDestination(const Rect& dst);

// Frame `index` of a horizontal strip of `count` frames of equal width (integer division);
// empty when count or index is out of range or a frame would be narrower than one pixel.
Rect StripFrame(int imageWidth, int imageHeight, int count, int index);

// Draw: the whole image at its own size with its top-left corner at (x, y), clipped to `clip`.
Plan PlanNatural(int imageWidth, int imageHeight, int x, int y, const Rect& clip);

// DrawPart and DrawMode1: `src` stretched into `dst`. A source reaching beyond the image is
// cut to the image, and the destination is cut in proportion, so what remains lands where it
// would have been drawn.
Plan PlanStretch(int imageWidth, int imageHeight, const Rect& src, const Rect& dst);

// DrawMode2: `frame` drawn as a nine-grid into `dst`.
Plan PlanNineGrid(const Rect& frame, const Rect& dst);

// DrawMode4: the image at its own size, centred in `dst` and clipped to it.
Plan PlanCentred(int imageWidth, int imageHeight, const Rect& dst);

// DrawMode3: fills `out` (outWidth x outHeight pixels, rows packed) with the image repeated,
// where out's (0, 0) lies at (phaseX, phaseY) of the endless tiling.
void TilePixels(const std::uint32_t* image, int imageWidth, int imageHeight, std::uint32_t* out,
                int outWidth, int outHeight, long long phaseX, long long phaseY);

}  // namespace pictora
