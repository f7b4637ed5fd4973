#include "pictora/resample.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace pictora {
namespace {

using Pixels = std::vector<std::uint32_t>;

// Opaque grey of level v (premultiplied is then the same), and a premultiplied colour.
constexpr std::uint32_t Grey(std::uint32_t v) {
  return 0xFF000000u | v << 16 | v << 8 | v;
}
constexpr std::uint32_t Premultiplied(std::uint32_t alpha, std::uint32_t red) {
  return alpha << 24 | red << 16;
}

Pixels Resample(const Pixels& src, int w, int h, int toW, int toH) {
  Pixels out(static_cast<size_t>(toW) * toH, 0xDEADBEEF);
  ResamplePixels(src.data(), w, w, h, out.data(), toW, toW, toH);
  return out;
}

TEST(Resample, ShrinksByAreaAndGrowsLinearlyWithEdgesHeld) {
  struct Case {
    const char* name;
    Pixels src;
    int w, h, toW, toH;
    Pixels expected;
  };
  const Case cases[] = {
      {"same size copies",
       {Grey(1), Grey(2), Grey(3), Grey(4)},
       2,
       2,
       2,
       2,
       {Grey(1), Grey(2), Grey(3), Grey(4)}},
      {"half: pairs averaged",
       {Grey(0), Grey(100), Grey(200), Grey(50)},
       4,
       1,
       2,
       1,
       {Grey(50), Grey(125)}},
      {"two thirds: by the part each covers",
       {Grey(0), Grey(90), Grey(180)},
       3,
       1,
       2,
       1,
       {Grey(30), Grey(150)}},
      {"quarter in both directions",
       {Grey(0), Grey(40), Grey(80), Grey(120)},
       2,
       2,
       1,
       1,
       {Grey(60)}},
      {"double: between neighbours, edges held",
       {Grey(0), Grey(200)},
       2,
       1,
       4,
       1,
       {Grey(0), Grey(50), Grey(150), Grey(200)}},
      {"one pixel fills any size", {Grey(77)}, 1, 1, 3, 2, Pixels(6, Grey(77))},
      {"down a column",
       {Grey(0), Grey(200)},
       1,
       2,
       1,
       4,
       {Grey(0), Grey(50), Grey(150), Grey(200)}},
      // Premultiplied: half covered red next to nothing is a quarter covered red, not dark red.
      {"alpha kept", {Premultiplied(128, 64), 0}, 2, 1, 1, 1, {Premultiplied(64, 32)}},
      {"transparent stays transparent", Pixels(4, 0), 2, 2, 3, 3, Pixels(9, 0)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Resample(c.src, c.w, c.h, c.toW, c.toH), c.expected) << c.name;
}

TEST(ResampleStrip, ScalesEachFrameOnItsOwn) {
  // Two frames of 2 x 1, red then blue; the column left over belongs to no frame.
  const Pixels strip{Premultiplied(255, 255), Premultiplied(255, 255), 0xFF0000FF, 0xFF0000FF,
                     Grey(9)};
  Pixels out(6, 0);
  ASSERT_TRUE(ResampleStrip(strip.data(), 5, 1, 2, out.data(), 3, 1));
  // Growing a frame never reaches into the next one.
  EXPECT_EQ(out, (Pixels{Premultiplied(255, 255), Premultiplied(255, 255), Premultiplied(255, 255),
                         0xFF0000FF, 0xFF0000FF, 0xFF0000FF}));

  struct Bad {
    int width, count, frameWidth, frameHeight;
  };
  for (Bad bad : {Bad{5, 0, 3, 1}, Bad{5, 2, 0, 1}, Bad{5, 2, 3, 0}, Bad{1, 2, 3, 1},
                  Bad{5, 2, 0x7FFFFFFF, 1}}) {
    Pixels untouched(6, 7);
    EXPECT_FALSE(ResampleStrip(strip.data(), bad.width, 1, bad.count, untouched.data(),
                               bad.frameWidth, bad.frameHeight));
    EXPECT_EQ(untouched, Pixels(6, 7));
  }
}

}  // namespace
}  // namespace pictora
