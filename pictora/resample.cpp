#include "pictora/resample.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace pictora {
namespace {

struct Tap {
  int index;
  float weight;
};

// For each of `to` output positions, the source positions (of `from`) it takes and their weights,
// which add up to one.
std::vector<std::vector<Tap>> Taps(int from, int to) {
  std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
  const double ratio = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    std::vector<Tap>& out = taps[static_cast<size_t>(i)];
    if (ratio >= 1.0) {
      // Shrinking: the source span [lo, hi) the output pixel covers, each source pixel by its part.
      const double lo = i * ratio;
      const double hi = std::min<double>((i + 1) * ratio, from);
      for (int j = static_cast<int>(lo); j < from && j < hi; ++j) {
        const double part = std::min<double>(hi, j + 1) - std::max<double>(lo, j);
        if (part > 0) out.push_back({j, static_cast<float>(part)});
      }
    } else {
      // Growing: between the two source pixels whose centres lie either side.
      const double centre = (i + 0.5) * ratio - 0.5;
      const int left = static_cast<int>(std::floor(centre));
      const double right = centre - left;
      out.push_back({std::clamp(left, 0, from - 1), static_cast<float>(1.0 - right)});
      out.push_back({std::clamp(left + 1, 0, from - 1), static_cast<float>(right)});
    }
    float total = 0;
    for (const Tap& tap : out) total += tap.weight;
    for (Tap& tap : out) tap.weight /= total;
  }
  return taps;
}

std::uint32_t Pack(const float channels[4]) {
  // The weights add up to one, so no channel leaves 0..255 and no colour outgrows its coverage
  // (rounding is monotonic); the clamp only guards the float sums.
  std::uint32_t packed = 0;
  for (int c = 0; c < 4; ++c)
    packed |= static_cast<std::uint32_t>(std::clamp(channels[c] + 0.5f, 0.0f, 255.0f)) << (8 * c);
  return packed;
}

}  // namespace

void ResamplePixels(const std::uint32_t* src, int srcStride, int srcWidth, int srcHeight,
                    std::uint32_t* dst, int dstStride, int dstWidth, int dstHeight) {
  const std::vector<std::vector<Tap>> across = Taps(srcWidth, dstWidth);
  const std::vector<std::vector<Tap>> down = Taps(srcHeight, dstHeight);
  // Rows first, into dstWidth x srcHeight channels; then columns.
  std::vector<float> rows(static_cast<size_t>(dstWidth) * srcHeight * 4);
  for (int y = 0; y < srcHeight; ++y) {
    const std::uint32_t* line = src + static_cast<size_t>(y) * srcStride;
    for (int x = 0; x < dstWidth; ++x) {
      float* out = &rows[(static_cast<size_t>(y) * dstWidth + x) * 4];
      for (const Tap& tap : across[static_cast<size_t>(x)])
        for (int c = 0; c < 4; ++c)
          out[c] += tap.weight * static_cast<float>((line[tap.index] >> (8 * c)) & 0xFF);
    }
  }
  for (int y = 0; y < dstHeight; ++y) {
    std::uint32_t* line = dst + static_cast<size_t>(y) * dstStride;
    for (int x = 0; x < dstWidth; ++x) {
      float channels[4] = {};
      for (const Tap& tap : down[static_cast<size_t>(y)]) {
        const float* in = &rows[(static_cast<size_t>(tap.index) * dstWidth + x) * 4];
        for (int c = 0; c < 4; ++c) channels[c] += tap.weight * in[c];
      }
      line[x] = Pack(channels);
    }
  }
}

bool ResampleStrip(const std::uint32_t* src, int srcWidth, int srcHeight, int frameCount,
                   std::uint32_t* dst, int frameWidth, int frameHeight) {
  if (frameCount < 1 || frameWidth < 1 || frameHeight < 1 || srcHeight < 1 ||
      static_cast<long long>(frameCount) * frameWidth > INT_MAX)
    return false;
  const int sourceFrame = srcWidth / frameCount;
  if (sourceFrame < 1) return false;
  const int dstStride = frameCount * frameWidth;
  for (int frame = 0; frame < frameCount; ++frame)
    ResamplePixels(src + static_cast<size_t>(frame) * sourceFrame, srcWidth, sourceFrame, srcHeight,
                   dst + static_cast<size_t>(frame) * frameWidth, dstStride, frameWidth,
                   frameHeight);
  return true;
}

}  // namespace pictora
