#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "support/PaintFixture.h"
#include "paint/MessagePanel.h"
#include "paint/StatusBars.h"
#include "record/MessageLog.h"
#include "paint/UnitPaint.h"

namespace vexa {
namespace {

using test::At;
using test::Rgb3;
using test::White;

constexpr Rgb3 Green{64, 192, 64};
constexpr Rgb3 GreenLight{159, 223, 159};
constexpr Rgb3 GreenPale{207, 239, 207};

class Bars : public ::testing::Test {
 protected:
  Bars() { CreateBackbuffer(g); }
  GameState g;
};

// ---------------------------------------------------------------------------------------
// One row against the same row painted by hand: bars from their lengths, then the label
// and the padded numbers.

struct RowCase {
  const char* name;
  bool battleOn;
  std::int32_t enemyValue, enemyMax, playerValue, playerMax, numerator, denominator;
  const char* enemyText;  // nullptr: not written
  const char* playerText;
  std::int32_t enemyFilled, enemyLength, playerFilled, playerLength;
};

class Row : public Bars, public ::testing::WithParamInterface<RowCase> {};

TEST_P(Row, MatchesBarsAndNumbersDrawnByHand) {
  const RowCase& c = GetParam();
  constexpr std::int32_t y = 380;
  g.battleOn = c.battleOn;
  DrawStatusRow(*g.backbuffer, g.battleOn, y, "ＨＰ", c.enemyValue, test::FromRgb(Green), c.enemyMax, c.playerValue, c.playerMax,
                c.numerator, c.denominator);

  GameState ref;
  CreateBackbuffer(ref);
  TBrixBitmap& r = *ref.backbuffer;
  for (std::int32_t row = y + 2; row <= y + 17; ++row) {
    for (std::int32_t j = 0; j < c.enemyLength; ++j) test::Put(r, 275 - j, row, j < c.enemyFilled ? Green : GreenPale);
    for (std::int32_t j = 0; j < c.playerLength; ++j) test::Put(r, 325 + j, row, j < c.playerFilled ? Green : GreenPale);
  }
  r.SetTextColor(test::FromRgb(Green));
  r.SetFontSize(20);
  r.DrawText(280, y, "ＨＰ");
  r.SetTextColor(test::FromRgb(GreenLight));
  r.SetFontSize(16);
  if (c.enemyText) r.DrawText(240, y + 2, c.enemyText);
  r.DrawText(328, y + 2, c.playerText);

  EXPECT_GT(test::InkIn(r, y, y + 20), 0) << "the reference drew nothing";
  EXPECT_EQ(test::FirstDifference(*g.backbuffer, r), "");
}

INSTANTIATE_TEST_SUITE_P(
    Values, Row,
    ::testing::Values(RowCase{"inBattle", true, 30, 50, 40, 60, 1, 1, "  30", "40  ", 30, 50, 40, 60},
                      RowCase{"outOfBattle", false, 30, 50, 40, 60, 1, 1, nullptr, "40  ", 0, 0, 40, 60},
                      RowCase{"zero", true, 0, 50, 0, 60, 1, 1, "   0", "0   ", 0, 50, 0, 60},
                      RowCase{"negative", true, -12, 50, -12, 60, 1, 1, " -12", "-12 ", 0, 50, 0, 60},
                      RowCase{"aboveMaximum", true, 80, 50, 90, 60, 1, 1, "  80", "90  ", 50, 50, 60, 60},
                      RowCase{"maximumZero", true, 5, 0, 5, 0, 1, 1, "   5", "5   ", 0, 0, 0, 0},
                      RowCase{"maximumNegative", true, 5, -3, 5, -3, 1, 1, "   5", "5   ", 0, 0, 0, 0},
                      RowCase{"longNumber", true, 12345, 10, 12345, 10, 1, 1, "12345", "12345", 10, 10, 10, 10},
                      RowCase{"scaled", true, 30, 50, 40, 60, 2, 3, "  20", "26  ", 20, 33, 26, 40}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// The three rows read straight off the pixels, away from the numbers.

struct StatusRowCase {
  const char* name;
  std::int32_t y;
  Rgb3 color, pale, light;
};

class StatusRows : public Bars, public ::testing::WithParamInterface<StatusRowCase> {
 protected:
  StatusRows() {
    g.battleOn = true;
    // Enemy at three quarters, player at a quarter; attack always full.
    g.enemy.maxHp = 200;
    g.enemy.hp = 150;
    g.enemy.attack = 200;
    g.enemy.maxAp = 200;
    g.enemy.ap = 150;
    g.player.maxHp = 200;
    g.player.hp = 50;
    g.player.attack = 200;
    g.player.maxAp = 200;
    g.player.ap = 50;
  }
};

TEST_P(StatusRows, EachRowHasItsPlaceColourAndShades) {
  const StatusRowCase& c = GetParam();
  const bool attack = c.y == 400;
  DrawStatusBars(*g.backbuffer, g);
  TBrixBitmap& s = *g.backbuffer;
  for (std::int32_t row : {c.y + 2, c.y + 10, c.y + 17}) {
    SCOPED_TRACE(row);
    EXPECT_EQ(At(s, 200, row), c.color);                       // enemy, j 75
    EXPECT_EQ(At(s, 100, row), attack ? c.color : c.pale);     // enemy, j 175 >= 150
    EXPECT_EQ(At(s, 400, row), attack ? c.color : c.pale);     // player, j 75 >= 50
    EXPECT_EQ(At(s, 370, row), c.color);                       // player, j 45
    EXPECT_EQ(At(s, 75, row), White);                          // enemy, j 200: past the bar
    EXPECT_EQ(At(s, 525, row), White);                         // player, j 200
  }
  EXPECT_EQ(At(s, 200, c.y + 1), White);
  EXPECT_EQ(At(s, 400, c.y + 18), White);

  // Glyph pixels of the label in the bar colour, of the numbers in the light shade.
  int label = 0, numbers = 0;
  for (std::int32_t row = c.y; row < c.y + 20; ++row) {
    for (std::int32_t x = 280; x < 325; ++x) label += At(s, x, row) == c.color;
    for (std::int32_t x = 328; x < 366; ++x) numbers += At(s, x, row) == c.light;
  }
  EXPECT_GT(label, 0);
  EXPECT_GT(numbers, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, StatusRows,
                         ::testing::Values(StatusRowCase{"hp", 380, Green, GreenPale, GreenLight},
                                           StatusRowCase{"attack", 400, {192, 64, 64}, {239, 207, 207}, {223, 159, 159}},
                                           StatusRowCase{"ap", 420, {64, 64, 192}, {207, 207, 239}, {159, 159, 223}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Bars, LongestBarsInPlayReachColumns21And579) {
  g.battleOn = true;
  g.enemy.maxHp = g.enemy.hp = 255;
  g.player.maxHp = g.player.hp = 255;
  DrawStatusBars(*g.backbuffer, g);
  EXPECT_EQ(At(*g.backbuffer, 21, 390), Green);
  EXPECT_EQ(At(*g.backbuffer, 20, 390), White);
  EXPECT_EQ(At(*g.backbuffer, 579, 390), Green);
  EXPECT_EQ(At(*g.backbuffer, 580, 390), White);
}

TEST_F(Bars, OutOfBattleTheEnemyHalfStaysEmpty) {
  g.battleOn = false;
  g.enemy.maxHp = g.enemy.hp = 200;
  g.enemy.attack = 200;
  g.enemy.maxAp = g.enemy.ap = 200;
  g.player.maxHp = g.player.hp = 100;
  DrawStatusBars(*g.backbuffer, g);
  // Left of the labels nothing at all is drawn, numbers included.
  for (std::int32_t row = 378; row < 450; ++row)
    for (std::int32_t x = 0; x < 279; ++x) ASSERT_EQ(At(*g.backbuffer, x, row), White) << x << "," << row;
  EXPECT_EQ(At(*g.backbuffer, 400, 390), Green);
}

// ---------------------------------------------------------------------------------------
// Maxima far beyond the room to the edge: cut off at the edge, never wrapped into the
// next or previous row, never out of the surface.

struct HugeCase {
  const char* name;
  std::int32_t width, height;
  std::int32_t enemyValue, enemyMax, playerValue, playerMax;
  Rgb3 firstColumn, lastColumn;  // on the bar's lines
};

class HugeBars : public ::testing::TestWithParam<HugeCase> {};

TEST_P(HugeBars, StayInsideTheSurface) {
  const HugeCase& c = GetParam();
  GameState g;
  g.clientWidth = c.width;
  g.clientHeight = c.height;
  CreateBackbuffer(g);
  g.battleOn = true;
  constexpr std::int32_t y = 380;
  ASSERT_NO_THROW(DrawStatusRow(*g.backbuffer, g.battleOn, y, "ＨＰ", c.enemyValue, test::FromRgb(Green), c.enemyMax, c.playerValue,
                                c.playerMax, 1, 1));
  const TBrixBitmap& s = *g.backbuffer;
  // A wrap past the left edge would land in the previous line's last column, one past
  // the right edge in the next line's first column.
  const std::int32_t lastRow = std::min(y + 17, c.height - 1);
  for (std::int32_t row = y + 2; row <= lastRow; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(At(s, 0, row), c.firstColumn);
    EXPECT_EQ(At(s, c.width - 1, row), c.lastColumn);
  }
  EXPECT_EQ(At(s, c.width - 1, y + 1), White);
  if (y + 18 < c.height) {
    EXPECT_EQ(At(s, 0, y + 18), White);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Maxima, HugeBars,
    ::testing::Values(
        HugeCase{"enemyPaleBesidePlayerFull", 600, 450, 0, INT_MAX, INT_MAX, INT_MAX, GreenPale, Green},
        HugeCase{"enemyFullBesidePlayerPale", 600, 450, INT_MAX, INT_MAX, -5, INT_MAX, Green, GreenPale},
        HugeCase{"surfaceEndsInsideTheRow", 600, 390, 1000, 100000, 0, 100000, Green, GreenPale},
        // Only the enemy's bar fits (the label would start at column 280); the player's
        // starts beyond the edge.
        HugeCase{"narrowerThanThePlayersBar", 279, 450, 0, 100000, 100000, 100000, GreenPale, White},
        // The enemy's full part (columns 176..275) is cut at column 199.
        HugeCase{"narrowerThanTheEnemysBar", 200, 450, 100, 100000, 100000, 100000, GreenPale, Green}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexa
