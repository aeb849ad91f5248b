#include "platform/shared/ViewScale.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(ViewScale, FloorDivRoundsTowardMinusInfinity) {
  struct {
    std::int64_t a;
    std::int32_t b, q;
  } cases[] = {{7, 2, 3}, {6, 2, 3}, {-1, 2, -1}, {-2, 2, -1}, {-3, 2, -2}, {0, 3, 0}, {-7, 3, -3}, {5, 1, 5}};
  for (const auto& c : cases) EXPECT_EQ(FloorDiv(c.a, c.b), c.q) << c.a << " / " << c.b;
}

TEST(ViewScale, WindowPositionsMapBackToGamePixels) {
  struct {
    ViewMap view;
    std::int32_t wx, wy, gx, gy;
  } cases[] = {
      {{1, 0, 0}, 0, 0, 0, 0},
      {{1, 0, 0}, 599, 449, 599, 449},
      {{1, 0, 0}, -5, 460, -5, 460},  // held button outside the window: unclamped
      {{2, 0, 0}, 1, 1, 0, 0},
      {{2, 0, 0}, 2, 3, 1, 1},
      {{2, 0, 0}, 1199, 899, 599, 449},
      {{2, 0, 0}, -1, -1, -1, -1},  // just left of column 0 is column -1, not 0
      {{2, 0, 0}, -2, 0, -1, 0},
      {{2, 0, 0}, -3, 0, -2, 0},
      {{3, 0, 0}, 5, 8, 1, 2},
      {{3, 0, 0}, 1800, 0, 600, 0},  // right of the last column
      {{3, 0, 0}, -4, -3, -2, -1},
      // Full screen: 1920 x 1080 holds the game at 2x from (360, 90).
      {{2, 360, 90}, 360, 90, 0, 0},
      {{2, 360, 90}, 359, 89, -1, -1},
      {{2, 360, 90}, 0, 0, -180, -45},
      {{2, 360, 90}, 1559, 989, 599, 449},
      {{2, 360, 90}, 1919, 1079, 779, 494},
  };
  for (const auto& c : cases) {
    std::int32_t gx = 0, gy = 0;
    WindowToGame(c.view, c.wx, c.wy, gx, gy);
    EXPECT_EQ(gx, c.gx) << "scale " << c.view.scale << " at " << c.wx << "," << c.wy;
    EXPECT_EQ(gy, c.gy) << "scale " << c.view.scale << " at " << c.wx << "," << c.wy;
  }
}

TEST(ViewScale, ExtremePointerPositionsDoNotOverflow) {
  std::int32_t gx = 0, gy = 0;
  WindowToGame({1, 1000, 1000}, INT32_MIN, INT32_MIN, gx, gy);
  EXPECT_EQ(gx, INT32_MIN);  // saturates instead of wrapping round to the far right
  WindowToGame({2, -10, 0}, INT32_MAX, 0, gx, gy);
  EXPECT_EQ(gx, static_cast<std::int32_t>((std::int64_t{INT32_MAX} + 10) / 2));
}

TEST(ViewScale, AutoPicksTheLargestScaleWithin85PercentOfTheDisplay) {
  struct {
    std::int32_t w, h, scale;
  } cases[] = {
      {1024, 768, 1},   // 2x would be 1200 wide
      {1366, 768, 1},   // 2x is 900 tall, 85 % of 768 is 652
      {1600, 1200, 2},  // 1200 <= 1360 and 900 <= 1020
      {1920, 1080, 2},  // 3x is 1350 tall > 918
      {2560, 1440, 2},  // 3x: 1800 <= 2176 but 1350 > 1224
      {2560, 1600, 3},  // 1350 <= 1360
      {3840, 2160, 4},  // 2400 <= 3264, 1800 <= 1836
      {7680, 4320, 8},
      {20000, 20000, 8},  // never beyond 8
      {640, 480, 1},      // even 1x does not fit: still 1
      {0, 0, 1},          // display size unknown
  };
  for (const auto& c : cases) EXPECT_EQ(AutoScale(c.w, c.h, 600, 450), c.scale) << c.w << "x" << c.h;
}

TEST(ViewScale, FullscreenCentresTheLargestScaleThatFits) {
  struct {
    std::int32_t w, h;
    ViewMap view;
  } cases[] = {
      {1920, 1080, {2, 360, 90}},
      {1280, 1024, {2, 40, 62}},
      {1024, 768, {1, 212, 159}},
      {600, 450, {1, 0, 0}},
      {3840, 2160, {4, 720, 180}},
      {8000, 8000, {8, 1600, 2200}},
      {500, 400, {1, -50, -25}},  // smaller than the game: its middle shows
  };
  for (const auto& c : cases) {
    const ViewMap v = FullscreenView(c.w, c.h, 600, 450);
    EXPECT_EQ(v.scale, c.view.scale) << c.w << "x" << c.h;
    EXPECT_EQ(v.offsetX, c.view.offsetX) << c.w << "x" << c.h;
    EXPECT_EQ(v.offsetY, c.view.offsetY) << c.w << "x" << c.h;
  }
}

}  // namespace
}  // namespace vexa
