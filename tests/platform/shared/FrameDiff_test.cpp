#include "platform/shared/FrameDiff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace vexa {
namespace {

constexpr std::int32_t W = 600, H = 450;  // wide enough for a short last piece (600 = 37.5 x 16)

std::vector<ColorTriple> Plain() { return std::vector<ColorTriple>(std::size_t(W) * H, Rgb(0x20, 0x40, 0x60)); }

void Set(std::vector<ColorTriple>& f, std::int32_t x, std::int32_t y, ColorTriple c) { f[std::size_t(y) * W + x] = c; }

// The whole piece a column lies in.
std::pair<std::int32_t, std::int32_t> PieceOf(std::int32_t x) {
  const std::int32_t left = x - x % runPiece;
  return {left, std::min(left + runPiece, W)};
}

bool SameFrame(const std::vector<ColorTriple>& a, const std::vector<ColorTriple>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameColor);
}

bool Covered(const std::vector<RowRun>& runs, std::int32_t x, std::int32_t y) {
  for (const RowRun& r : runs)
    if (r.row == y && x >= r.left && x < r.right) return true;
  return false;
}

TEST(FrameDiff, EveryChangedPixelIsInARunAndTheShownFrameFollows) {
  struct Case {
    std::string name;
    std::vector<std::pair<std::int32_t, std::int32_t>> changed;  // (x, y)
    std::size_t runs;
  };
  const std::vector<Case> cases = {
      {"nothing", {}, 0},
      {"first pixel", {{0, 0}}, 1},
      {"last pixel, in the short last piece", {{599, 449}}, 1},
      {"both ends of one row", {{0, 7}, {599, 7}}, 2},
      {"two pieces side by side join", {{runPiece - 1, 3}, {runPiece, 3}}, 1},
      {"rows far apart", {{300, 10}, {40, 300}}, 2},
  };
  for (const Case& c : cases) {
    ShownFrame shown;
    std::vector<RowRun> runs;
    const std::vector<ColorTriple> first = Plain();
    TakeFrame(shown, first.data(), W, H, runs);
    std::vector<ColorTriple> next = first;
    for (const auto& [x, y] : c.changed) Set(next, x, y, Rgb(1, 2, 3));
    const PixelRect box = TakeFrame(shown, next.data(), W, H, runs);
    // The box holds exactly the changed pieces.
    PixelRect want{W, H, 0, 0};
    for (const auto& [x, y] : c.changed) {
      want = PixelRect{std::min(want.left, PieceOf(x).first), std::min(want.top, y),
                       std::max(want.right, PieceOf(x).second), std::max(want.bottom, y + 1)};
    }
    if (c.changed.empty()) want = PixelRect{};
    EXPECT_EQ(box.left, want.left) << c.name;
    EXPECT_EQ(box.top, want.top) << c.name;
    EXPECT_EQ(box.right, want.right) << c.name;
    EXPECT_EQ(box.bottom, want.bottom) << c.name;
    EXPECT_EQ(box.Empty(), c.changed.empty()) << c.name;
    EXPECT_EQ(runs.size(), c.runs) << c.name;
    for (const auto& [x, y] : c.changed) EXPECT_TRUE(Covered(runs, x, y)) << c.name << " " << x << "," << y;
    EXPECT_TRUE(SameFrame(shown.pixels, next)) << c.name;
  }
}

TEST(FrameDiff, ASameLookingChangeOfOneChannelIsStillAChange) {
  ShownFrame shown;
  std::vector<RowRun> runs;
  std::vector<ColorTriple> frame = Plain();
  TakeFrame(shown, frame.data(), W, H, runs);
  for (auto [x, c] : {std::pair{5, Rgb(0x21, 0x40, 0x60)}, std::pair{205, Rgb(0x20, 0x41, 0x60)},
                      std::pair{405, Rgb(0x20, 0x40, 0x61)}}) {
    Set(frame, x, 100, c);
    EXPECT_FALSE(TakeFrame(shown, frame.data(), W, H, runs).Empty()) << x;
    EXPECT_TRUE(Covered(runs, x, 100)) << x;
  }
}

// A row of one colour is judged from the new frame alone; every way into and out of
// that shortcut must still see the change.
TEST(FrameDiff, RowsOfOneColourChangingAreSeen) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::int32_t, ColorTriple>> before, after;  // (x, colour) over row 50
    bool changed;
  };
  const ColorTriple black = Rgb(0, 0, 0), red = Rgb(255, 0, 0), background = Rgb(0x20, 0x40, 0x60);
  const std::vector<std::pair<std::int32_t, ColorTriple>> none;
  const Case cases[] = {
      {"one colour to another", none, {{-1, black}}, true},
      {"one colour to the same", none, none, false},
      {"a dot appears", none, {{300, red}}, true},
      {"a dot goes", {{300, red}}, none, true},
      {"a dot moves", {{300, red}}, {{301, red}}, true},
      {"the row fills with the dot's colour", {{300, red}}, {{-1, red}}, true},
      {"the first pixel alone differs", none, {{0, black}}, true},
  };
  auto paint = [&](std::vector<ColorTriple>& f, const std::vector<std::pair<std::int32_t, ColorTriple>>& marks) {
    for (const auto& [x, c] : marks) {
      if (x < 0) std::fill(f.begin() + 50 * W, f.begin() + 51 * W, c);
      else Set(f, x, 50, c);
    }
  };
  for (const Case& c : cases) {
    ShownFrame shown;
    std::vector<RowRun> runs;
    std::vector<ColorTriple> frame(std::size_t(W) * H, background);
    paint(frame, c.before);
    TakeFrame(shown, frame.data(), W, H, runs);
    // A step in between that changes nothing keeps what the shortcut remembers honest.
    TakeFrame(shown, frame.data(), W, H, runs);
    EXPECT_TRUE(runs.empty()) << c.name;
    std::fill(frame.begin() + 50 * W, frame.begin() + 51 * W, background);
    paint(frame, c.after);
    const PixelRect box = TakeFrame(shown, frame.data(), W, H, runs);
    EXPECT_EQ(!box.Empty(), c.changed) << c.name;
    EXPECT_TRUE(SameFrame(shown.pixels, frame)) << c.name;
  }
}

TEST(FrameDiff, AFirstFrameOrANewSizeIsTakenWhole) {
  ShownFrame shown;
  std::vector<RowRun> runs;
  const std::vector<ColorTriple> big = Plain();
  PixelRect box = TakeFrame(shown, big.data(), W, H, runs);
  EXPECT_EQ(box.right, W);
  EXPECT_EQ(box.bottom, H);
  ASSERT_EQ(runs.size(), std::size_t(H));
  EXPECT_EQ(runs.back().row, H - 1);
  EXPECT_EQ(runs.back().right, W);

  const std::vector<ColorTriple> small(3 * 2, Rgb(9, 9, 9));
  box = TakeFrame(shown, small.data(), 3, 2, runs);
  EXPECT_EQ(box.right, 3);
  EXPECT_EQ(box.bottom, 2);
  EXPECT_EQ(runs.size(), 2u);
  EXPECT_EQ(shown.width, 3);
  EXPECT_TRUE(SameFrame(shown.pixels, small));
}

}  // namespace
}  // namespace vexa
