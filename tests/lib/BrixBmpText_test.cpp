// Text on a surface: glyph pixels in the text colour, cells of the Shift-JIS byte count,
// synthetic bold, clipping, and the soft rim with its box limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "lib/BrixBmp.h"
#include "lib/Checked.h"
#include "lib/FontFace.h"
#include "lib/ShiftJis.h"

namespace vexa {
namespace {

const ColorTriple kBackground = Rgb(200, 100, 40);
const ColorTriple kInk = Rgb(0, 0, 255);
// kBackground moved a quarter of the way to kInk 0, 1, 2, 3 and 4 times:
// each byte b -> (3b + t) div 4, e.g. red 200 -> 150 -> 112 -> 84 -> 63.
const std::array<ColorTriple, 5> kBlended = {kBackground, Rgb(150, 75, 93), Rgb(112, 56, 133), Rgb(84, 42, 163),
                                             Rgb(63, 31, 186)};

struct TextCase {
  const char* name;
  const char* text;
  std::int32_t x, y;
  std::int32_t size;
  std::uint8_t style;
  std::int32_t width, height;  // of the surface
};

void Prepare(TBrixBitmap& s, const TextCase& c, bool soft) {
  s.SetSize(c.width, c.height);
  s.Fill(kBackground);
  s.SetFontSize(c.size);
  s.SetFontStyle(c.style);
  s.SetTextColor(kInk);
  if (soft) s.SetSoftText(true);
}

bool IsInk(const TBrixBitmap& s, std::int32_t r, std::int32_t c) {
  return r >= 0 && c >= 0 && r < s.Height() && c < s.Width() && SameColor(s.rows[r][c], kInk);
}

std::int32_t CellWidth(const TextCase& c) { return (c.size + 1) / 2 + ((c.style & fsBold) != 0 ? 1 : 0); }

struct RimCounts {
  std::array<int, 5> byNeighbours{};
  int betweenAboveAndBelow = 0;  // rim pixels whose only glyph neighbours are above and below
};

// Every non-glyph pixel of the clamped box must be blended once per glyph neighbour; glyph
// pixels and everything outside the box must be as plain drawing left them.
RimCounts ExpectSoftRim(const TBrixBitmap& plain, const TBrixBitmap& soft, const TextCase& c) {
  const std::int32_t boxRight = c.x + ShiftJisLength(c.text) * CellWidth(c) + 1;
  const std::int32_t boxBottom = c.y + c.size + 2;
  const std::int32_t left = std::max(c.x - 1, 0);
  const std::int32_t top = std::max(c.y - 1, 0);
  const std::int32_t right = std::min(boxRight, plain.Width());
  const std::int32_t bottom = std::min(boxBottom, plain.Height());
  RimCounts counts;
  int wrong = 0;
  for (std::int32_t r = 0; r < plain.Height(); ++r)
    for (std::int32_t col = 0; col < plain.Width(); ++col) {
      ColorTriple want = plain.rows[r][col];
      if (!IsInk(plain, r, col) && r >= top && r < bottom && col >= left && col < right) {
        const bool up = IsInk(plain, r - 1, col), down = IsInk(plain, r + 1, col);
        const bool west = IsInk(plain, r, col - 1), east = IsInk(plain, r, col + 1);
        const int k = up + down + west + east;
        want = kBlended[static_cast<std::size_t>(k)];
        ++counts.byNeighbours[static_cast<std::size_t>(k)];
        if (up && down && !west && !east) ++counts.betweenAboveAndBelow;
      }
      const ColorTriple got = soft.rows[r][col];
      if (!SameColor(got, want) && ++wrong <= 5)
        ADD_FAILURE() << c.name << ": pixel row " << r << " column " << col << " is " << int(got.red) << ","
                      << int(got.green) << "," << int(got.blue) << ", want " << int(want.red) << ","
                      << int(want.green) << "," << int(want.blue);
    }
  return counts;
}

class SoftRim : public testing::TestWithParam<TextCase> {};

TEST_P(SoftRim, BlendsOncePerGlyphNeighbourInsideTheBoxOnly) {
  const TextCase& c = GetParam();
  TBrixBitmap plain, soft;
  Prepare(plain, c, false);
  Prepare(soft, c, true);
  plain.DrawText(c.x, c.y, c.text);
  soft.DrawText(c.x, c.y, c.text);
  const RimCounts counts = ExpectSoftRim(plain, soft, c);
  EXPECT_GT(counts.byNeighbours[1], 0) << "no rim drawn";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SoftRim,
    testing::Values(TextCase{"messageLine", "ＶＥＸＡ ヒット！ 攻撃", 10, 10, 22, fsBold, 320, 50},
                    TextCase{"statusNumber", "  12", 240, 2, 16, fsBold, 300, 24},
                    TextCase{"notBold", "攻撃 20", 3, 3, 16, 0, 120, 30},
                    TextCase{"atOrigin", "Ag漢", 0, 0, 20, fsBold, 80, 30},
                    TextCase{"pastTopLeft", "漢字", -5, -7, 22, fsBold, 60, 30},
                    TextCase{"pastBottomRight", "ABCDEFG", 40, 20, 16, fsBold, 60, 30},
                    TextCase{"wholeSurfaceWide", "ＨＰ", 0, 0, 20, fsBold, 8, 6}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

// Glyphs that reach past their cells (a missing-glyph box is a full em wide in a half-width
// cell; a slanted glyph leans out of its cell; the ring of an Å rises above the cell): the
// rim stops at the box all the same.
TEST(SoftRim, NeverChangesAPixelOutsideTheBoxEvenWhereAGlyphReachesPastIt) {
  for (const TextCase& c : {TextCase{"missingGlyph", "A\x01", 4, 3, 22, fsBold, 60, 32},
                            TextCase{"slanted", "AW", 2, 2, 16, fsBold | fsItalic, 40, 24},
                            TextCase{"ringAbove", "ÅÅ", 4, 4, 22, fsBold, 40, 32}}) {
    TBrixBitmap plain, soft;
    Prepare(plain, c, false);
    Prepare(soft, c, true);
    plain.DrawText(c.x, c.y, c.text);
    soft.DrawText(c.x, c.y, c.text);
    const std::int32_t cellsRight = c.x + ShiftJisLength(c.text) * CellWidth(c);
    bool reachesPast = false;
    for (std::int32_t r = 0; r < plain.Height(); ++r)
      for (std::int32_t col = 0; col < plain.Width(); ++col)
        reachesPast = reachesPast || (IsInk(plain, r, col) && (col >= cellsRight || r < c.y));
    ASSERT_TRUE(reachesPast) << c.name << ": the fixture no longer reaches past its cells";
    ExpectSoftRim(plain, soft, c);
  }
}

TEST(SoftRim, APixelBetweenAGlyphPixelAboveAndOneBelowIsBlendedTwice) {
  const TextCase c{"strokes", "三言語 ≡ 目 = 皿", 4, 4, 22, fsBold, 420, 32};
  TBrixBitmap plain, soft;
  Prepare(plain, c, false);
  Prepare(soft, c, true);
  plain.DrawText(c.x, c.y, c.text);
  soft.DrawText(c.x, c.y, c.text);
  const RimCounts counts = ExpectSoftRim(plain, soft, c);
  EXPECT_GT(counts.betweenAboveAndBelow, 0) << "the fixture has no one-pixel gap between strokes";
}

TEST(SoftRim, EmptyTextChangesNothing) {
  TBrixBitmap s;
  s.SetSize(30, 20);
  s.Fill(kBackground);
  s.rows[5][5] = kInk;  // a lone pixel in the text colour is not a glyph of this text
  s.SetTextColor(kInk);
  s.SetSoftText(true);
  const std::vector<ColorTriple> before = s.Pixels();
  s.DrawText(4, 4, "");
  s.DrawText(0, 0, "");
  for (std::size_t i = 0; i < before.size(); ++i) ASSERT_TRUE(SameColor(s.Pixels()[i], before[i])) << i;
}

// Text drawn earlier leaves white on the work surface; the black box of the next text
// hides it, so an earlier text never adds a rim to a later one.
TEST(SoftRim, EarlierTextsDoNotLeakIntoLaterRims) {
  const TextCase c{"second", "ＡＰ", 20, 6, 20, fsBold, 120, 40};
  TBrixBitmap plain, soft;
  Prepare(plain, c, false);
  Prepare(soft, c, true);
  soft.DrawText(19, 5, "■■■■");
  soft.Fill(kBackground);
  plain.DrawText(c.x, c.y, c.text);
  soft.DrawText(c.x, c.y, c.text);
  ExpectSoftRim(plain, soft, c);
}

TEST(SoftRim, NeedsSoftTextSwitchedOnAgainAfterASizeChange) {
  TBrixBitmap s;
  s.SetSize(20, 20);
  s.SetSoftText(true);
  s.SetSize(40, 20);
  EXPECT_THROW(s.DrawText(0, 0, "A"), VexaError);
  s.SetSoftText(true);
  EXPECT_NO_THROW(s.DrawText(0, 0, "A"));
}

TEST(DrawText, PlainTextChangesOnlyGlyphPixelsToTheTextColourInsideItsCells) {
  const TextCase c{"plain", "ＶＥＸＡ Ab 123 ｱｲ", 5, 3, 22, fsBold, 300, 30};
  TBrixBitmap s;
  Prepare(s, c, false);
  s.DrawText(c.x, c.y, c.text);
  const std::int32_t right = c.x + ShiftJisLength(c.text) * CellWidth(c);
  int ink = 0;
  for (std::int32_t r = 0; r < s.Height(); ++r)
    for (std::int32_t col = 0; col < s.Width(); ++col) {
      const ColorTriple p = s.rows[r][col];
      if (SameColor(p, kBackground)) continue;
      ASSERT_TRUE(SameColor(p, kInk)) << r << "," << col;
      EXPECT_TRUE(col >= c.x && col < right && r >= c.y && r < c.y + c.size) << "glyph pixel at " << r << "," << col;
      ++ink;
    }
  EXPECT_GT(ink, 100);
}

std::vector<std::pair<std::int32_t, std::int32_t>> InkPixels(const TBrixBitmap& s, std::int32_t fromColumn) {
  std::vector<std::pair<std::int32_t, std::int32_t>> out;
  for (std::int32_t r = 0; r < s.Height(); ++r)
    for (std::int32_t col = fromColumn; col < s.Width(); ++col)
      if (IsInk(s, r, col)) out.emplace_back(r, col);
  return out;
}

// A character advances by its Shift-JIS bytes times the cell: (size + 1) div 2, plus 1 bold.
TEST(DrawText, EachCharacterAdvancesByItsCells) {
  struct Advance {
    const char* pair;
    const char* second;
    std::int32_t size;
    std::uint8_t style;
    std::int32_t advance;
  };
  for (const Advance& a : {Advance{"あい", "い", 22, fsBold, 24}, Advance{"Ab", "b", 22, fsBold, 12},
                           Advance{"Ab", "b", 16, 0, 8}, Advance{"ｱｲ", "ｲ", 20, fsBold, 11},
                           Advance{"漢A", "A", 21, 0, 22}}) {
    const TextCase c{"advance", a.pair, 0, 2, a.size, a.style, 60, 30};
    TBrixBitmap both, second;
    Prepare(both, c, false);
    Prepare(second, c, false);
    both.DrawText(0, 2, a.pair);
    second.DrawText(a.advance, 2, a.second);
    const auto secondInk = InkPixels(second, 0);
    ASSERT_FALSE(secondInk.empty());
    EXPECT_EQ(InkPixels(both, a.advance), secondInk) << a.pair << " at size " << a.size;
  }
}

TEST(DrawText, BoldIsTheGlyphWidenedOnePixelToTheRight) {
  for (const char* text : {"A", "漢", "g"}) {
    const TextCase c{"bold", text, 3, 2, 22, 0, 40, 30};
    TBrixBitmap regular, bold;
    Prepare(regular, c, false);
    Prepare(bold, TextCase{"bold", text, 3, 2, 22, fsBold, 40, 30}, false);
    regular.DrawText(3, 2, text);
    bold.DrawText(3, 2, text);
    for (std::int32_t r = 0; r < 30; ++r)
      for (std::int32_t col = 0; col < 40; ++col)
        ASSERT_EQ(IsInk(bold, r, col), IsInk(regular, r, col) || IsInk(regular, r, col - 1))
            << text << " at " << r << "," << col;
  }
}

TEST(DrawText, ClipsAtTheSurfaceEdgesWithoutWrapping) {
  const TextCase c{"clip", "漢字Ag", 13, 11, 22, fsBold, 90, 40};
  TBrixBitmap whole, cut;
  Prepare(whole, c, false);
  Prepare(cut, c, false);
  whole.DrawText(13, 11, c.text);
  cut.DrawText(-7, -9, c.text);  // the same text 20 left and 20 up
  for (std::int32_t r = 0; r < 40; ++r)
    for (std::int32_t col = 0; col < 90; ++col)
      ASSERT_EQ(IsInk(cut, r, col), IsInk(whole, r + 20, col + 20)) << r << "," << col;
  TBrixBitmap far;
  Prepare(far, c, true);
  const std::vector<ColorTriple> before = far.Pixels();
  far.DrawText(2147483000, 5, c.text);
  far.DrawText(5, -2147483000, c.text);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), far.Pixels().begin(),
                         [](ColorTriple a, ColorTriple b) { return SameColor(a, b); }));
}

TEST(DrawText, UnderlineRunsUnderTheWholeText) {
  const TextCase c{"underline", "ab漢", 2, 2, 20, fsUnderline, 60, 30};
  TBrixBitmap s;
  Prepare(s, c, false);
  s.DrawText(2, 2, c.text);
  const std::int32_t right = 2 + ShiftJisLength(c.text) * CellWidth(c);
  bool found = false;
  for (std::int32_t r = 2; r < 2 + c.size && !found; ++r) {
    bool full = true;
    for (std::int32_t col = 2; col < right; ++col) full = full && IsInk(s, r, col);
    found = full;
  }
  EXPECT_TRUE(found);
}

TEST(DrawText, SizeOutsideTheFontsRangeIsRefused) {
  TBrixBitmap s;
  s.SetSize(10, 10);
  for (std::int32_t size : {0, -3, 5000}) {
    s.SetFontSize(size);
    EXPECT_THROW(s.DrawText(0, 0, "A"), VexaError) << size;
  }
}

// ---- drawing under a clip ---------------------------------------------------------------

struct ClipCase {
  const char* name;
  std::int32_t x, y;  // of the text; partly off the surface, it is drawn glyph by glyph
  PixelRect clip;
};

void PrintTo(const ClipCase& c, std::ostream* os) { *os << c.name; }

class ClippedText : public ::testing::TestWithParam<ClipCase> {
 protected:
  static constexpr const char* kText = "ＡＰ 123";
  void Draw(TBrixBitmap& s, const ClipCase& c, const PixelRect* clip, bool redraw) {
    s.SetSize(90, 40);
    s.Fill(kBackground);
    s.SetFontSize(16);
    s.SetFontStyle(fsBold);
    s.SetTextColor(kInk);
    s.SetSoftText(true);
    if (redraw) s.DrawText(c.x, c.y, kText);
    if (clip) {
      s.SetClip(*clip);
      if (redraw) s.Fill(kBackground);
    }
    s.DrawText(c.x, c.y, kText);
    s.ClearClip();
  }
  static bool Inside(const PixelRect& r, std::int32_t x, std::int32_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
  }
};

TEST_P(ClippedText, WritesInsideTheClipExactlyWhatAWholeDrawingWrites) {
  const ClipCase& c = GetParam();
  TBrixBitmap whole, clipped;
  Draw(whole, c, nullptr, false);
  Draw(clipped, c, &c.clip, false);
  int wrong = 0;
  for (std::int32_t y = 0; y < whole.Height(); ++y)
    for (std::int32_t x = 0; x < whole.Width(); ++x) {
      const ColorTriple want = Inside(c.clip, x, y) ? whole.rows[y][x] : kBackground;
      if (!SameColor(clipped.rows[y][x], want) && ++wrong <= 3) ADD_FAILURE() << "at " << x << "," << y;
    }
}

TEST_P(ClippedText, RedrawnInsideAClipOverItselfTheRimIsBlendedOnce) {
  const ClipCase& c = GetParam();
  TBrixBitmap whole, redrawn;
  Draw(whole, c, nullptr, false);
  Draw(redrawn, c, &c.clip, true);
  int wrong = 0;
  for (std::int32_t y = 0; y < whole.Height(); ++y)
    for (std::int32_t x = 0; x < whole.Width(); ++x)
      if (!SameColor(redrawn.rows[y][x], whole.rows[y][x]) && ++wrong <= 3) ADD_FAILURE() << "at " << x << "," << y;
}

TEST_P(ClippedText, ItsBoundsHoldEveryPixelItWrites) {
  const ClipCase& c = GetParam();
  TBrixBitmap whole;
  Draw(whole, c, nullptr, false);
  const PixelRect bounds = whole.TextBounds(whole.FontName(), 16, c.x, c.y, kText);
  int written = 0;
  for (std::int32_t y = 0; y < whole.Height(); ++y)
    for (std::int32_t x = 0; x < whole.Width(); ++x) {
      if (SameColor(whole.rows[y][x], kBackground)) continue;
      ++written;
      EXPECT_TRUE(Inside(bounds, x, y)) << x << "," << y;
    }
  EXPECT_GT(written, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, ClippedText,
    ::testing::Values(ClipCase{"stampThroughTheMiddle", 10, 10, {25, 14, 47, 22}},
                      ClipCase{"stampOneColumn", 10, 10, {30, 0, 31, 40}},
                      ClipCase{"stampWhollyInside", 10, 10, {0, 0, 90, 40}},
                      ClipCase{"stampWhollyOutside", 10, 10, {0, 30, 90, 40}},
                      ClipCase{"clipPastTheSurface", 10, 10, {40, -5, 200, 20}},
                      ClipCase{"glyphsThroughTheMiddle", -6, 28, {0, 30, 20, 36}},
                      ClipCase{"glyphsOneRow", 60, -3, {0, 5, 90, 6}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClippedText, AnEmptyClipWritesNothing) {
  TBrixBitmap s;
  s.SetSize(60, 30);
  s.Fill(kBackground);
  s.SetSoftText(true);
  s.SetClip(PixelRect{});
  s.DrawText(2, 2, "ＡＰ");
  s.Fill(ColorBlack);
  s.ClearClip();
  for (std::int32_t y = 0; y < s.Height(); ++y)
    for (std::int32_t x = 0; x < s.Width(); ++x) ASSERT_TRUE(SameColor(s.rows[y][x], kBackground)) << x << "," << y;
}

TEST(FontFace, TheGamesFaceResolvesToAnInstalledFile) {
  const std::string file = FontFileFor("ＭＳ ゴシック");
  EXPECT_TRUE(std::filesystem::is_regular_file(file)) << file;
}

}  // namespace
}  // namespace vexa
