#pragma once
// The status bars below the fighters: HP, attack and AP of both, with their numbers.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "record/GameRecord.h"

namespace vexa {

void DrawStatusBars(TBrixBitmap& target, const GameState& g);

// The numbers one row of bars is drawn from: equal rows draw equal pixels.
struct BarRow {
  bool battleOn = false;
  std::int32_t enemyValue = 0;
  std::int32_t enemyMax = 0;
  std::int32_t playerValue = 0;
  std::int32_t playerMax = 0;
  std::string_view label;  // in the run's language
  bool operator==(const BarRow&) const = default;
};
using BarsView = std::array<BarRow, 3>;  // HP, attack, AP

BarsView BarsViewOf(const GameState& g);
// Appends to `out` rectangles holding every pixel where the bars drawn from `now` differ
// from those drawn from `was`, both in the text face `face`.
void BarsDamage(const TBrixBitmap& target, const std::string& face, const BarsView& was, const BarsView& now,
                std::vector<PixelRect>& out);
// Every pixel each row of DrawStatusBars may write, with its text in `face`.
std::array<PixelRect, 3> BarsBounds(const TBrixBitmap& target, const std::string& face, const BarsView& view);
// One row of BarsBounds: it depends on that row alone.
PixelRect BarRowBounds(const TBrixBitmap& target, const std::string& face, const BarsView& view, std::size_t row);
// One row of DrawStatusBars.
void DrawStatusBarsRow(TBrixBitmap& target, const BarsView& view, std::size_t row);
// The enemy's side shows only while a battle is on.
void DrawStatusRow(TBrixBitmap& target, bool battleOn, std::int32_t y, std::string_view label, std::int32_t enemyValue,
                   ColorTriple color, std::int32_t enemyMax, std::int32_t playerValue,
                   std::int32_t playerMax, std::int32_t numerator, std::int32_t denominator);

}  // namespace vexa
