#include <algorithm>
#include <cstring>
#include <string>

#include "lib/Checked.h"
#include "paint/MessageLog.h"
#include "paint/StatusBars.h"

namespace vexa {

namespace {

// The bars grow outward from a gap in the middle that holds the label.
constexpr std::int32_t EnemyBarStart = 275;   // grows leftward
constexpr std::int32_t PlayerBarStart = 325;  // grows rightward
constexpr std::int32_t LabelX = 280;
constexpr std::int32_t EnemyValueX = 240;
constexpr std::int32_t PlayerValueX = 328;
constexpr std::int32_t ValueWidth = 4;

ColorTriple Shade(ColorTriple c, std::int32_t add, std::int32_t divisor) {
  auto channel = [&](std::uint8_t v) { return static_cast<std::uint8_t>((v + add) / divisor); };
  return ColorTriple{channel(c.blue), channel(c.green), channel(c.red)};
}

std::int32_t Scale(std::int32_t value, std::int32_t numerator, std::int32_t denominator) {
  return chk::Div(chk::Mul(value, numerator), denominator);
}

// One bar: `maximum` pixels from `start` in direction `step`, the first `value` of them
// in the bar colour. Columns beyond the surface are cut off, never wrapped.
void DrawBar(TBrixBitmap& s, std::int32_t y, std::int32_t start, std::int32_t step, std::int32_t value,
             std::int32_t maximum, ColorTriple color, ColorTriple pale) {
  const std::int64_t room = step < 0 ? std::int64_t{start} + 1 : std::int64_t{s.Width()} - start;
  const std::int64_t firstJ = step < 0 ? std::max<std::int64_t>(0, std::int64_t{start} - s.Width() + 1) : 0;
  const std::int64_t endJ = std::min<std::int64_t>(maximum, room);
  const std::int64_t top = std::max<std::int64_t>(std::int64_t{y} + 2, 0);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + 17, s.Height() - 1);
  if (firstJ >= endJ || top > bottom) return;

  // Paint the first line, then repeat it: all 16 lines of a bar are alike.
  ColorTriple* first = s.rows[static_cast<std::int32_t>(top)];
  for (std::int64_t j = firstJ; j < endJ; ++j) first[start + step * j] = j < value ? color : pale;
  const std::int64_t left = step < 0 ? start - (endJ - 1) : start + firstJ;
  const std::size_t bytes = static_cast<std::size_t>(endJ - firstJ) * sizeof(ColorTriple);
  for (std::int64_t r = top + 1; r <= bottom; ++r)
    std::memcpy(s.rows[static_cast<std::int32_t>(r)] + left, first + left, bytes);
}

std::string PadLeft(std::string text) {
  if (text.size() < ValueWidth) text.insert(0, ValueWidth - text.size(), ' ');
  return text;
}

std::string PadRight(std::string text) {
  if (text.size() < ValueWidth) text.append(ValueWidth - text.size(), ' ');
  return text;
}

}  // namespace

void DrawStatusBars(TBrixBitmap& s, const GameState& g) {
  const Fighter& e = g.enemy;
  const Fighter& p = g.player;
  // The attack is its own maximum: its bars are always full.
  DrawStatusRow(s, g.battleOn, 380, "ＨＰ", e.hp, Rgb(64, 192, 64), e.maxHp, p.hp, p.maxHp, 1, 1);
  DrawStatusRow(s, g.battleOn, 400, "攻撃", e.attack, Rgb(192, 64, 64), e.attack, p.attack, p.attack, 1, 1);
  DrawStatusRow(s, g.battleOn, 420, "ＡＰ", e.ap, Rgb(64, 64, 192), e.maxAp, p.ap, p.maxAp, 1, 1);
}

void DrawStatusRow(TBrixBitmap& s, bool battleOn, std::int32_t y, std::string_view label, std::int32_t enemyValue, ColorTriple color,
                   std::int32_t enemyMax, std::int32_t playerValue, std::int32_t playerMax, std::int32_t numerator,
                   std::int32_t denominator) {
  enemyValue = Scale(enemyValue, numerator, denominator);
  enemyMax = Scale(enemyMax, numerator, denominator);
  playerValue = Scale(playerValue, numerator, denominator);
  playerMax = Scale(playerMax, numerator, denominator);

  const ColorTriple light = Shade(color, 255, 2);  // halfway to white
  const ColorTriple pale = Shade(color, 765, 4);   // three quarters of the way

  s.SetTextColor(color);
  s.SetFontSize(20);
  s.DrawText(LabelX, y, label);

  if (battleOn) DrawBar(s, y, EnemyBarStart, -1, enemyValue, enemyMax, color, pale);
  DrawBar(s, y, PlayerBarStart, +1, playerValue, playerMax, color, pale);

  s.SetTextColor(light);
  s.SetFontSize(16);
  if (battleOn) s.DrawText(EnemyValueX, chk::Add(y, 2), PadLeft(std::to_string(enemyValue)));
  s.DrawText(PlayerValueX, chk::Add(y, 2), PadRight(std::to_string(playerValue)));
}

}  // namespace vexa
