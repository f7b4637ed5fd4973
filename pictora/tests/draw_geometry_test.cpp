#include "pictora/draw_geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

namespace pictora {
namespace {

std::vector<Blit> Blits(const Plan& plan) {
  return {plan.begin(), plan.end()};
}

TEST(StripFrame, PicksEqualFramesAndRejectsWhatLiesOutside) {
  struct Case {
    int width, height, count, index;
    Rect expected;
  };
  const Case cases[] = {
      {90, 30, 3, 0, {0, 0, 30, 30}},
      {90, 30, 3, 1, {30, 0, 60, 30}},
      {90, 30, 3, 2, {60, 0, 90, 30}},
      {91, 30, 3, 2, {60, 0, 90, 30}},  // the remainder column belongs to no frame
      {90, 30, 1, 0, {0, 0, 90, 30}},
      {90, 30, 3, 3, {}},
      {90, 30, 3, -1, {}},
      {90, 30, 0, 0, {}},
      {90, 30, -2, 0, {}},
      {2, 30, 3, 0, {}},  // frames narrower than a pixel
      {0, 0, 1, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.width << "x" << c.height << " " << c.count << "/" << c.index);
    EXPECT_EQ(StripFrame(c.width, c.height, c.count, c.index), c.expected);
  }
}

TEST(PlanNatural, DrawsAtOwnSizeClippedToTheRectangle) {
  struct Case {
    int x, y;
    Rect clip;
    std::vector<Blit> expected;
  };
  const Case cases[] = {
      {5, 6, {0, 0, 100, 100}, {{{0, 0, 10, 8}, {5, 6, 15, 14}}}},
      {5, 6, {0, 0, 10, 10}, {{{0, 0, 5, 4}, {5, 6, 10, 10}}}},
      {-3, -2, {0, 0, 100, 100}, {{{3, 2, 10, 8}, {0, 0, 7, 6}}}},
      {100, 0, {0, 0, 100, 100}, {}},
      {INT_MAX - 4, 0, {0, 0, INT_MAX, 100}, {{{0, 0, 4, 8}, {INT_MAX - 4, 0, INT_MAX, 8}}}},
      {INT_MIN,
       INT_MIN,
       {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
       {{{0, 0, 10, 8}, {INT_MIN, INT_MIN, INT_MIN + 10, INT_MIN + 8}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "at " << c.x << "," << c.y);
    EXPECT_EQ(Blits(PlanNatural(10, 8, c.x, c.y, c.clip)), c.expected);
  }
}

TEST(PlanStretch, MapsTheSourceOntoTheRectangleAndCutsWhatLiesOutsideTheImage) {
  struct Case {
    const char* what;
    Rect src, dst;
    std::vector<Blit> expected;
  };
  const Case cases[] = {
      {"frame 1 of a 90x30 strip",
       {30, 0, 60, 30},
       {10, 10, 40, 40},
       {{{30, 0, 60, 30}, {10, 10, 40, 40}}}},
      {"stretched", {0, 0, 90, 30}, {0, 0, 180, 15}, {{{0, 0, 90, 30}, {0, 0, 180, 15}}}},
      {"right half beyond the image",
       {60, 0, 120, 30},
       {0, 0, 120, 30},
       {{{60, 0, 90, 30}, {0, 0, 60, 30}}}},
      {"left part beyond the image",
       {-30, 0, 30, 30},
       {0, 0, 60, 60},
       {{{0, 0, 30, 30}, {30, 0, 60, 60}}}},
      {"wholly outside", {90, 0, 120, 30}, {0, 0, 30, 30}, {}},
      {"empty source", {30, 0, 30, 30}, {0, 0, 30, 30}, {}},
      {"inverted destination", {0, 0, 30, 30}, {30, 0, 0, 30}, {}},
      {"destination beyond the extent limit", {0, 0, 30, 30}, {0, 0, 40000, 30}, {}},
      {"huge source", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 32768, 32768}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Blits(PlanStretch(90, 30, c.src, c.dst)), c.expected);
  }
}

// Nine-grid blits reduced to the source column/row each destination pixel comes from.
std::vector<int> SourceIndexAlongX(const Plan& plan, int width) {
  std::vector<int> source(width, -1);
  for (const Blit& b : plan) {
    for (int x = b.dst.left; x < b.dst.right; ++x) {
      source[x] = b.src.left + static_cast<int>((x - b.dst.left) * b.src.Width() / b.dst.Width());
    }
  }
  return source;
}

TEST(PlanNineGrid, KeepsEverythingButTheMiddleAtItsOwnSize) {
  struct Case {
    int frameWidth, width;
    std::vector<int> sourceColumns;
  };
  const Case cases[] = {
      {5, 9, {0, 1, 2, 2, 2, 2, 2, 3, 4}},
      {5, 5, {0, 1, 2, 3, 4}},
      {6, 8, {0, 1, 2, 2, 2, 3, 4, 5}},
      {5, 3, {0, 1, 4}},  // narrower: the two ends, cut to fit
      {5, 2, {0, 4}},
      {5, 1, {0}},
      {1, 4, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.frameWidth << " -> " << c.width);
    const Plan plan = PlanNineGrid({0, 0, c.frameWidth, 1}, {0, 0, c.width, 1});
    EXPECT_EQ(SourceIndexAlongX(plan, c.width), c.sourceColumns);
  }
}

TEST(PlanNineGrid, CoversTheRectangleOnceFromTheChosenFrame) {
  const Rect frame{10, 0, 15, 5};  // frame 2 of a strip of 5x5 frames
  const Rect dst{100, 200, 120, 212};
  const Plan plan = PlanNineGrid(frame, dst);
  ASSERT_EQ(plan.count, 9);
  long long area = 0;
  for (const Blit& b : plan) {
    area += b.dst.Width() * b.dst.Height();
    EXPECT_EQ(Intersect(b.src, frame), b.src);
    EXPECT_EQ(Intersect(b.dst, dst), b.dst);
  }
  EXPECT_EQ(area, dst.Width() * dst.Height());
  EXPECT_EQ(plan.blits[0], (Blit{{10, 0, 12, 2}, {100, 200, 102, 202}}));
  EXPECT_EQ(plan.blits[8], (Blit{{13, 3, 15, 5}, {118, 210, 120, 212}}));
  EXPECT_EQ(PlanNineGrid(Rect{}, dst).count, 0);
  EXPECT_EQ(PlanNineGrid(frame, Rect{0, 0, 50000, 10}).count, 0);
}

TEST(PlanCentred, CentresAndCropsSymmetrically) {
  EXPECT_EQ(Blits(PlanCentred(3, 3, {0, 0, 10, 9})),
            (std::vector<Blit>{{{0, 0, 3, 3}, {3, 3, 6, 6}}}));
  EXPECT_EQ(Blits(PlanCentred(10, 10, {5, 5, 9, 9})),
            (std::vector<Blit>{{{3, 3, 7, 7}, {5, 5, 9, 9}}}));
  EXPECT_EQ(PlanCentred(10, 10, {5, 5, 5, 9}).count, 0);
}

TEST(TilePixels, RepeatsTheImageFromThePhase) {
  const std::uint32_t image[] = {1, 2, 3, 4, 5, 6};  // 3 x 2
  struct Case {
    long long phaseX, phaseY;
    std::vector<std::uint32_t> expected;  // 4 x 3
  };
  const Case cases[] = {
      {0, 0, {1, 2, 3, 1, 4, 5, 6, 4, 1, 2, 3, 1}},
      {2, 1, {6, 4, 5, 6, 3, 1, 2, 3, 6, 4, 5, 6}},
      {-1, -1, {6, 4, 5, 6, 3, 1, 2, 3, 6, 4, 5, 6}},
      {3000000001LL, 0, {2, 3, 1, 2, 5, 6, 4, 5, 2, 3, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "phase " << c.phaseX << "," << c.phaseY);
    std::vector<std::uint32_t> out(12, 0);
    TilePixels(image, 3, 2, out.data(), 4, 3, c.phaseX, c.phaseY);
    EXPECT_EQ(out, c.expected);
  }
}

TEST(Limits, OpacityAndImageSize) {
  const std::pair<int, int> alphas[] = {{-5, 0}, {0, 0}, {1, 2}, {50, 127}, {100, 255}, {101, 255}};
  for (const auto& [opacity, alpha] : alphas) EXPECT_EQ(ConstantAlpha(opacity), alpha) << opacity;

  EXPECT_TRUE(ImageSizeAcceptable(1, 1));
  EXPECT_TRUE(ImageSizeAcceptable(16384, 1024));
  EXPECT_FALSE(ImageSizeAcceptable(0, 10));
  EXPECT_FALSE(ImageSizeAcceptable(10, -1));
  EXPECT_FALSE(ImageSizeAcceptable(16385, 1));
  EXPECT_FALSE(ImageSizeAcceptable(16384, 1025));
  EXPECT_FALSE(ImageSizeAcceptable(4294967295LL, 4294967295LL));
}

}  // namespace
}  // namespace pictora
