#pragma once
// Scaling an image to another size for a display scale: premultiplied 32-bit pixels (the order of
// the channels does not matter), each channel filtered alike, so transparency is kept without dark
// fringes. Separable: where the image shrinks every source pixel counts by the area it covers,
// where it grows neighbours are blended linearly; no pixel from outside the source is read, so
// each frame of a strip is scaled on its own. Pure arithmetic, no Windows.
#include <cstdint>

namespace pictora {

// `src` (srcWidth x srcHeight, rows `srcStride` pixels apart) into `dst` (dstWidth x dstHeight,
// rows `dstStride` pixels apart). Sizes must be at least 1 x 1; equal sizes copy.
void ResamplePixels(const std::uint32_t* src, int srcStride, int srcWidth, int srcHeight,
                    std::uint32_t* dst, int dstStride, int dstWidth, int dstHeight);

// A horizontal strip of `frameCount` equal frames (srcWidth / frameCount wide, integer division;
// columns left over belong to no frame) into frameCount frames of frameWidth x frameHeight side
// by side in `dst` (frameCount * frameWidth wide). False, with nothing written, when a count or
// a size is less than 1 or a source frame would be narrower than a pixel.
bool ResampleStrip(const std::uint32_t* src, int srcWidth, int srcHeight, int frameCount,
                   std::uint32_t* dst, int frameWidth, int frameHeight);

}  // namespace pictora
