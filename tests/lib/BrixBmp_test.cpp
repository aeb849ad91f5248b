// The surface's storage, row table, key mask and transparent copy, on small fixtures.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "lib/BrixBmp.h"
#include "lib/Checked.h"

namespace vexa {
namespace {

// A picture drawn as text: one letter per pixel, each letter a colour.
ColorTriple Colour(char letter) {
  switch (letter) {
    case '.': return Rgb(255, 255, 255);
    case 'k': return Rgb(0, 0, 0);
    case 'R': return Rgb(255, 0, 0);  // the key colour of the game's sprites
    case 'a': return Rgb(10, 20, 30);
    case 'b': return Rgb(40, 50, 60);
    case 'c': return Rgb(70, 80, 90);
    case 'd': return Rgb(100, 110, 120);
    case 't': return Rgb(1, 128, 254);  // the target's own colour
    default: ADD_FAILURE() << "no colour for " << letter; return {};
  }
}

void Paint(TBrixBitmap& s, const std::vector<std::string>& picture) {
  s.SetSize(static_cast<std::int32_t>(picture[0].size()), static_cast<std::int32_t>(picture.size()));
  for (std::int32_t r = 0; r < s.Height(); ++r)
    for (std::int32_t c = 0; c < s.Width(); ++c) s.rows[r][c] = Colour(picture[r][c]);
}

std::string Describe(const TBrixBitmap& s) {
  std::string out;
  for (std::int32_t r = 0; r < s.Height(); ++r) {
    for (std::int32_t c = 0; c < s.Width(); ++c) {
      const ColorTriple p = s.rows[r][c];
      char letter = '?';
      for (char l : std::string(".kRabcdt"))
        if (SameColor(p, Colour(l))) letter = l;
      out += letter;
    }
    out += '\n';
  }
  return out;
}

std::string Lines(const std::vector<std::string>& picture) {
  std::string out;
  for (const std::string& line : picture) out += line + '\n';
  return out;
}

TEST(SetSize, LeavesEveryPixelWhiteAndOneRowPerLine) {
  for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {600, 450}, {7, 0}, {0, 4}}) {
    TBrixBitmap s;
    s.Fill(Rgb(1, 2, 3));
    s.SetSize(w, h);
    EXPECT_EQ(s.Width(), w);
    EXPECT_EQ(s.Height(), h);
    ASSERT_EQ(s.rows.Length(), h);
    for (std::int32_t r = 0; r < h; ++r)
      for (std::int32_t c = 0; c < w; ++c) ASSERT_TRUE(SameColor(s.rows[r][c], ColorWhite)) << r << "," << c;
  }
}

TEST(SetSize, ResizingAPaintedSurfaceWhitensIt) {
  TBrixBitmap s;
  Paint(s, {"ab", "cd"});
  s.SetSize(3, 3);
  EXPECT_EQ(Describe(s), Lines({"...", "...", "..."}));
}

TEST(Rows, AddressThePixelsRowByRowAndCheckTheLine) {
  TBrixBitmap s;
  s.SetSize(3, 2);
  s.rows[1][2] = Rgb(9, 8, 7);
  const ColorTriple stored = s.Pixels()[1 * 3 + 2];
  EXPECT_TRUE(SameColor(stored, Rgb(9, 8, 7)));
  EXPECT_THROW(s.rows[2], VexaError);
  EXPECT_THROW(s.rows[-1], VexaError);
  TBrixBitmap empty;
  EXPECT_THROW(empty.rows[0], VexaError);
}

TEST(Fill, SetsEveryPixel) {
  TBrixBitmap s;
  s.SetSize(4, 3);
  s.Fill(Colour('c'));
  EXPECT_EQ(Describe(s), Lines({"cccc", "cccc", "cccc"}));
}

// Fill and DrawOnto under a clip: inside it as without one, outside it nothing.
struct SurfaceClipCase {
  const char* name;
  PixelRect clip;
};

void PrintTo(const SurfaceClipCase& c, std::ostream* os) { *os << c.name; }

class SurfaceClip : public ::testing::TestWithParam<SurfaceClipCase> {};

TEST_P(SurfaceClip, FillAndDrawOntoWriteOnlyInsideTheClip) {
  const PixelRect clip = GetParam().clip;
  auto make = [] {
    auto s = std::make_unique<TBrixBitmap>();
    s->SetSize(8, 6);
    s->Fill(Rgb(9, 9, 9));
    return s;
  };
  TBrixBitmap picture;
  picture.SetSize(5, 4);
  picture.Fill(Rgb(1, 2, 3));
  picture.rows[1][1] = Rgb(255, 0, 0);  // see-through
  picture.MakeKeyMask(Rgb(255, 0, 0));

  auto whole = make();
  whole->Fill(Rgb(40, 50, 60));
  picture.DrawOnto(*whole, 2, 1);
  auto clipped = make();
  clipped->SetClip(clip);
  clipped->Fill(Rgb(40, 50, 60));
  picture.DrawOnto(*clipped, 2, 1);
  clipped->ClearClip();
  for (std::int32_t y = 0; y < 6; ++y)
    for (std::int32_t x = 0; x < 8; ++x) {
      const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
      const ColorTriple want = inside ? whole->rows[y][x] : Rgb(9, 9, 9);
      EXPECT_TRUE(SameColor(clipped->rows[y][x], want)) << GetParam().name << " at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, SurfaceClip,
                         ::testing::Values(SurfaceClipCase{"acrossThePicture", {3, 0, 5, 6}},
                                           SurfaceClipCase{"theSeeThroughPixel", {3, 2, 4, 3}},
                                           SurfaceClipCase{"pastEveryEdge", {-4, -4, 20, 20}},
                                           SurfaceClipCase{"besideThePicture", {0, 0, 2, 6}},
                                           SurfaceClipCase{"empty", {5, 5, 5, 9}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DrawnBounds, AMaskedPictureLeavesOutItsKeyMarginsUntilItChanges) {
  TBrixBitmap picture;
  picture.SetSize(6, 5);
  EXPECT_EQ(picture.DrawnBounds(), (PixelRect{0, 0, 6, 5}));  // no mask: all of it
  picture.Fill(Rgb(255, 0, 0));
  picture.rows[1][2] = Rgb(1, 2, 3);
  picture.rows[3][4] = Rgb(4, 5, 6);
  picture.MakeKeyMask(Rgb(255, 0, 0));
  EXPECT_EQ(picture.DrawnBounds(), (PixelRect{2, 1, 5, 4}));

  // Drawn at the target's corner, nothing outside those bounds changes.
  TBrixBitmap target;
  target.SetSize(6, 5);
  target.Fill(Rgb(9, 9, 9));
  picture.DrawOnto(target, 0, 0);
  for (std::int32_t y = 0; y < 5; ++y)
    for (std::int32_t x = 0; x < 6; ++x) {
      const bool ink = (x == 2 && y == 1) || (x == 4 && y == 3);
      EXPECT_EQ(SameColor(target.rows[y][x], Rgb(9, 9, 9)), !ink) << x << "," << y;
    }

  picture.Fill(Rgb(7, 7, 7));  // the mask no longer tells what the picture holds
  EXPECT_EQ(picture.DrawnBounds(), (PixelRect{0, 0, 6, 5}));
  TBrixBitmap blank;
  blank.SetSize(3, 3);
  blank.Fill(Rgb(255, 0, 0));
  blank.MakeKeyMask(Rgb(255, 0, 0));
  EXPECT_TRUE(blank.DrawnBounds().Empty());
}

// A picture of one colour besides its key is drawn from runs of that colour, not through
// its mask: wherever it lands and however it is clipped, the same pixels as through the
// mask. The reference is the same picture with one more colour in one pixel.
TEST(DrawOnto, AOneColourPictureDrawsAsItsMaskWould) {
  const ColorTriple key = Rgb(255, 0, 0), ink = Rgb(30, 140, 250);
  auto make = [&](bool second) {
    auto p = std::make_unique<TBrixBitmap>();
    p->SetSize(9, 6);
    for (std::int32_t y = 0; y < 6; ++y)
      for (std::int32_t x = 0; x < 9; ++x) p->rows[y][x] = (x * 7 + y * 3) % 5 < 2 ? key : ink;
    p->rows[5][8] = second ? Rgb(1, 1, 1) : ink;
    p->MakeKeyMask(key);
    return p;
  };
  const auto single = make(false), mixed = make(true);
  struct Place {
    std::int32_t x, y;
    PixelRect clip;
  };
  for (const Place& at : {Place{2, 1, {0, 0, 20, 12}}, Place{-4, -2, {0, 0, 20, 12}}, Place{15, 8, {0, 0, 20, 12}},
                          Place{3, 3, {5, 4, 9, 7}}, Place{3, 3, {0, 5, 20, 6}}}) {
    TBrixBitmap a, b;
    for (TBrixBitmap* t : {&a, &b}) {
      t->SetSize(20, 12);
      for (std::int32_t y = 0; y < 12; ++y)
        for (std::int32_t x = 0; x < 20; ++x) t->rows[y][x] = Rgb(std::uint8_t(x * 9), std::uint8_t(y * 20), 77);
      t->SetClip(at.clip);
    }
    single->DrawOnto(a, at.x, at.y);
    mixed->DrawOnto(b, at.x, at.y);
    for (std::int32_t y = 0; y < 12; ++y)
      for (std::int32_t x = 0; x < 20; ++x) {
        if (x == at.x + 8 && y == at.y + 5) continue;  // the one pixel that differs
        EXPECT_TRUE(SameColor(a.rows[y][x], b.rows[y][x])) << "at " << x << "," << y << " drawn at " << at.x << ","
                                                            << at.y;
      }
  }
}

TEST(ColourHelpers, RgbStoresBlueGreenRedAndToolkitColourIsBgr) {
  const ColorTriple c = Rgb(0x12, 0x34, 0x56);
  EXPECT_EQ(c.blue, 0x56);
  EXPECT_EQ(c.green, 0x34);
  EXPECT_EQ(c.red, 0x12);
  EXPECT_EQ(ToToolkitColor(c), 0x563412u);
  EXPECT_FALSE(SameColor(c, Rgb(0x12, 0x34, 0x57)));
}

TEST(MakeKeyMask, BlacksOutTheKeyAndMasksIt) {
  TBrixBitmap sprite;
  Paint(sprite, {"Rab", "cRk"});
  sprite.MakeKeyMask(Colour('R'));
  EXPECT_EQ(Describe(sprite), Lines({"kab", "ckk"}));
  ASSERT_NE(sprite.MaskSurface(), nullptr);
  EXPECT_EQ(Describe(*sprite.MaskSurface()), Lines({".kk", "k.k"}));
}

TEST(DrawOnto, ThroughTheMaskKeepsTheTargetWhereTheKeyWas) {
  TBrixBitmap sprite;
  Paint(sprite, {"Rab", "cRk"});
  sprite.MakeKeyMask(Colour('R'));
  TBrixBitmap target;
  Paint(target, {"tttt", "tttt"});
  sprite.DrawOnto(target, 1, 0);
  // Black sprite pixels are opaque; only the key shows the target.
  EXPECT_EQ(Describe(target), Lines({"ttab", "tctk"}));
}

// A second mask with the same key finds no key pixels left: the whole rectangle becomes
// opaque and the former transparent area is drawn black.
TEST(MakeKeyMask, SecondTimeWithTheSameKeyMakesEverythingOpaque) {
  TBrixBitmap sprite;
  Paint(sprite, {"Rab", "cRk"});
  sprite.MakeKeyMask(Colour('R'));
  sprite.MakeKeyMask(Colour('R'));
  EXPECT_EQ(Describe(*sprite.MaskSurface()), Lines({"kkk", "kkk"}));
  TBrixBitmap target;
  Paint(target, {"ttt", "ttt"});
  sprite.DrawOnto(target, 0, 0);
  EXPECT_EQ(Describe(target), Lines({"kab", "ckk"}));
}

TEST(DrawOnto, WithoutMaskOverwritesTheWholeRectangle) {
  TBrixBitmap sprite;
  Paint(sprite, {"kR", "a."});
  TBrixBitmap target;
  Paint(target, {"ttt", "ttt", "ttt"});
  sprite.DrawOnto(target, 1, 1);
  EXPECT_EQ(Describe(target), Lines({"ttt", "tkR", "ta."}));
}

struct Placement {
  const char* name;
  std::int32_t x, y;
  std::vector<std::string> plain;   // target after a copy without mask
  std::vector<std::string> masked;  // after a copy through the mask (key 'R' at the sprite's top-left)
};

class DrawOntoEdges : public testing::TestWithParam<Placement> {};

// Sprite "Rb" / "cd" onto a 3 x 3 target of 't': it is cut at every edge, never wraps.
TEST_P(DrawOntoEdges, ClipsAtTheTargetsEdges) {
  const Placement& p = GetParam();
  TBrixBitmap sprite;
  Paint(sprite, {"Rb", "cd"});
  TBrixBitmap target;
  Paint(target, {"ttt", "ttt", "ttt"});
  sprite.DrawOnto(target, p.x, p.y);
  EXPECT_EQ(Describe(target), Lines(p.plain));

  sprite.MakeKeyMask(Colour('R'));
  Paint(target, {"ttt", "ttt", "ttt"});
  sprite.DrawOnto(target, p.x, p.y);
  EXPECT_EQ(Describe(target), Lines(p.masked));
}

INSTANTIATE_TEST_SUITE_P(
    Positions, DrawOntoEdges,
    testing::Values(Placement{"inside", 1, 1, {"ttt", "tRb", "tcd"}, {"ttt", "ttb", "tcd"}},
                    Placement{"topLeft", -1, -1, {"dtt", "ttt", "ttt"}, {"dtt", "ttt", "ttt"}},
                    Placement{"topRight", 2, -1, {"ttc", "ttt", "ttt"}, {"ttc", "ttt", "ttt"}},
                    Placement{"bottomLeft", -1, 2, {"ttt", "ttt", "btt"}, {"ttt", "ttt", "btt"}},
                    Placement{"bottomRight", 2, 2, {"ttt", "ttt", "ttR"}, {"ttt", "ttt", "ttt"}},
                    Placement{"leftEdge", -1, 0, {"btt", "dtt", "ttt"}, {"btt", "dtt", "ttt"}},
                    Placement{"bottomEdge", 0, 2, {"ttt", "ttt", "Rbt"}, {"ttt", "ttt", "tbt"}},
                    Placement{"outsideRight", 3, 0, {"ttt", "ttt", "ttt"}, {"ttt", "ttt", "ttt"}},
                    Placement{"outsideAbove", 0, -2, {"ttt", "ttt", "ttt"}, {"ttt", "ttt", "ttt"}},
                    Placement{"farAway", 2147483600, -2147483600, {"ttt", "ttt", "ttt"}, {"ttt", "ttt", "ttt"}}),
    [](const testing::TestParamInfo<Placement>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexa
