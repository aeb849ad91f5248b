#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstring>
#include <string>

#include "lib/Checked.h"
#include "paint/MessagePanel.h"
#include "paint/StatusBars.h"
#include "record/Texts.h"

namespace vexa {

namespace {

// The bars grow outward from a gap in the middle that holds the label.
constexpr std::int32_t EnemyBarStart = 275;   // grows leftward
constexpr std::int32_t PlayerBarStart = 325;  // grows rightward
constexpr std::int32_t LabelCentre = 300;
constexpr std::int32_t EnemyValueX = 240;
constexpr std::int32_t PlayerValueX = 328;
constexpr std::int32_t ValueWidth = 4;
constexpr std::int32_t LabelSize = 20;
constexpr std::int32_t ValueSize = 16;

const std::array<ColorTriple, 3> RowColors{Rgb(64, 192, 64), Rgb(192, 64, 64), Rgb(64, 64, 192)};
// Centred in the gap: a full-width character is a label's size wide, a half-width one half
// that, so the two-character Japanese labels start at 280 as they always did.
std::int32_t LabelX(std::string_view label) {
  std::int32_t halfWidths = 0;
  for (std::size_t i = 0; i < label.size(); ++i) {
    const auto byte = static_cast<unsigned char>(label[i]);
    if (byte < 0x80) halfWidths += 1;
    else if (byte >= 0xC0) halfWidths += 2;
  }
  return LabelCentre - halfWidths * LabelSize / 4;
}

std::int32_t RowY(std::size_t row) { return 380 + 20 * static_cast<std::int32_t>(row); }

ColorTriple Shade(ColorTriple c, std::int32_t add, std::int32_t divisor) {
  auto channel = [&](std::uint8_t v) { return static_cast<std::uint8_t>((v + add) / divisor); };
  return ColorTriple{channel(c.blue), channel(c.green), channel(c.red)};
}

std::int32_t Scale(std::int32_t value, std::int32_t numerator, std::int32_t denominator) {
  return chk::Div(chk::Mul(value, numerator), denominator);
}

// One bar: `maximum` pixels from `start` in direction `step`, the first `value` of them
// in the bar colour. Columns beyond the surface or its clip are cut off, never wrapped.
void DrawBar(TBrixBitmap& s, std::int32_t y, std::int32_t start, std::int32_t step, std::int32_t value,
             std::int32_t maximum, ColorTriple color, ColorTriple pale) {
  const PixelRect clip = s.Clip();
  const std::int64_t span = std::max<std::int32_t>(maximum, 0);
  const std::int64_t barLeft = step < 0 ? std::int64_t{start} - span + 1 : start;
  const std::int64_t left = std::max<std::int64_t>(barLeft, clip.left);
  const std::int64_t right = std::min<std::int64_t>(barLeft + span, clip.right);
  const std::int64_t top = std::max<std::int64_t>(std::int64_t{y} + 2, clip.top);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + 18, clip.bottom);
  if (left >= right || top >= bottom) return;

  // Paint the first line, then repeat it: all 16 lines of a bar are alike.
  ColorTriple* first = s.rows[static_cast<std::int32_t>(top)];
  for (std::int64_t x = left; x < right; ++x) {
    const std::int64_t j = step < 0 ? start - x : x - start;
    first[x] = j < value ? color : pale;
  }
  const std::size_t bytes = static_cast<std::size_t>(right - left) * sizeof(ColorTriple);
  for (std::int64_t r = top + 1; r < bottom; ++r)
    std::memcpy(s.rows[static_cast<std::int32_t>(r)] + left, first + left, bytes);
}

// A bar's number as drawn: in decimal, padded with spaces to ValueWidth characters. Held in
// place rather than in a std::string: a local with a destructor makes every call in its scope,
// in the browser build, a trip out to JavaScript and back, and these are made every step.
struct ValueText {
  std::array<char, 16> chars{};  // an int32's 11 characters at most
  std::size_t size = 0;
  std::string_view View() const { return {chars.data(), size}; }
};

ValueText Padded(std::int32_t value, bool spacesFirst) {
  std::array<char, 12> digits{};
  const std::size_t n = static_cast<std::size_t>(std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr -
                                                 digits.data());
  const std::size_t spaces = n < ValueWidth ? ValueWidth - n : 0;
  ValueText t;
  t.size = n + spaces;
  char* const at = t.chars.data();
  std::memset(spacesFirst ? at : at + n, ' ', spaces);
  std::memcpy(spacesFirst ? at + spaces : at, digits.data(), n);
  return t;
}

ValueText PadLeft(std::int32_t value) { return Padded(value, true); }
ValueText PadRight(std::int32_t value) { return Padded(value, false); }

}  // namespace

BarsView BarsViewOf(const GameState& g) {
  const Fighter& e = g.enemy;
  const Fighter& p = g.player;
  // The attack is its own maximum: its bars are always full.
  auto label = [&](std::string_view key) -> std::string_view { return TextLines(g.language, key).front(); };
  return BarsView{{{g.battleOn, e.hp, e.maxHp, p.hp, p.maxHp, label(text::BarHp)},
                   {g.battleOn, e.attack, e.attack, p.attack, p.attack, label(text::BarAttack)},
                   {g.battleOn, e.ap, e.maxAp, p.ap, p.maxAp, label(text::BarAp)}}};
}

void DrawStatusBars(TBrixBitmap& s, const GameState& g) {
  const BarsView view = BarsViewOf(g);
  for (std::size_t i = 0; i < view.size(); ++i) DrawStatusBarsRow(s, view, i);
}

void DrawStatusBarsRow(TBrixBitmap& s, const BarsView& view, std::size_t row) {
  const BarRow& r = view[row];
  DrawStatusRow(s, r.battleOn, RowY(row), r.label, r.enemyValue, RowColors[row], r.enemyMax, r.playerValue,
                r.playerMax, 1, 1);
}

namespace {

// At most two rectangles, in order.
struct BarChanges {
  std::array<PixelRect, 2> rects{};
  std::size_t count = 0;
};

// The columns of a bar (its first pixel at `start`, growing by `step`) whose colour differs
// between two (value, maximum) pairs, on the bar's rows.
BarChanges BarChange(std::int32_t y, std::int32_t start, std::int32_t step, std::int32_t value0, std::int32_t max0,
                     std::int32_t value1, std::int32_t max1) {
  max0 = std::max(max0, 0);
  max1 = std::max(max1, 0);
  // Pixel j shows the colour when j < value, pale when value <= j < maximum.
  const std::int32_t lit0 = std::clamp(value0, 0, max0);
  const std::int32_t lit1 = std::clamp(value1, 0, max1);
  BarChanges out;
  auto add = [&](std::int32_t from, std::int32_t to) {  // j in [from, to)
    if (from >= to) return;
    const std::int64_t left = step < 0 ? std::int64_t{start} - to + 1 : std::int64_t{start} + from;
    const std::int64_t right = left + (to - from);
    out.rects[out.count++] = PixelRect{static_cast<std::int32_t>(std::clamp<std::int64_t>(left, INT32_MIN, INT32_MAX)),
                                       chk::Add(y, 2),
                                       static_cast<std::int32_t>(std::clamp<std::int64_t>(right, INT32_MIN, INT32_MAX)),
                                       chk::Add(y, 18)};
  };
  add(std::min(lit0, lit1), std::max(lit0, lit1));
  add(std::min(max0, max1), std::max(max0, max1));
  return out;
}

void Append(const BarChanges& changes, std::vector<PixelRect>& out) {
  for (std::size_t i = 0; i < changes.count; ++i) out.push_back(changes.rects[i]);
}

PixelRect BoundsWith(const PixelRect& bounds, const BarChanges& changes) {
  PixelRect all = bounds;
  for (std::size_t i = 0; i < changes.count; ++i) all = Bounds(all, changes.rects[i]);
  return all;
}

}  // namespace

void BarsDamage(const TBrixBitmap& s, const std::string& face, const BarsView& was, const BarsView& now,
                std::vector<PixelRect>& out) {
  for (std::size_t i = 0; i < now.size(); ++i) {
    const BarRow& a = was[i];
    const BarRow& b = now[i];
    if (a == b) continue;
    const std::int32_t y = RowY(i);
    Append(BarChange(y, PlayerBarStart, +1, a.playerValue, a.playerMax, b.playerValue, b.playerMax), out);
    // A side not drawn is a bar of no length.
    Append(BarChange(y, EnemyBarStart, -1, a.battleOn ? a.enemyValue : 0, a.battleOn ? a.enemyMax : 0,
                     b.battleOn ? b.enemyValue : 0, b.battleOn ? b.enemyMax : 0),
           out);
    const ValueText playerWas = PadRight(a.playerValue);
    const ValueText playerNow = PadRight(b.playerValue);
    if (playerWas.View() != playerNow.View()) {
      out.push_back(s.TextBounds(face, ValueSize, PlayerValueX, chk::Add(y, 2), playerWas.View()));
      out.push_back(s.TextBounds(face, ValueSize, PlayerValueX, chk::Add(y, 2), playerNow.View()));
    }
    const ValueText enemyWas = a.battleOn ? PadLeft(a.enemyValue) : ValueText{};
    const ValueText enemyNow = b.battleOn ? PadLeft(b.enemyValue) : ValueText{};
    if (enemyWas.View() != enemyNow.View()) {
      out.push_back(s.TextBounds(face, ValueSize, EnemyValueX, chk::Add(y, 2), enemyWas.View()));
      out.push_back(s.TextBounds(face, ValueSize, EnemyValueX, chk::Add(y, 2), enemyNow.View()));
    }
  }
}

PixelRect BarRowBounds(const TBrixBitmap& s, const std::string& face, const BarsView& view, std::size_t row) {
  const BarRow& r = view[row];
  const std::int32_t y = RowY(row);
  PixelRect bounds;
  bounds = BoundsWith(bounds, BarChange(y, PlayerBarStart, +1, 0, 0, 0, r.playerMax));
  if (r.battleOn) bounds = BoundsWith(bounds, BarChange(y, EnemyBarStart, -1, 0, 0, 0, r.enemyMax));
  bounds = Bounds(bounds, s.TextBounds(face, LabelSize, LabelX(r.label), y, r.label));
  bounds = Bounds(bounds, s.TextBounds(face, ValueSize, PlayerValueX, chk::Add(y, 2), PadRight(r.playerValue).View()));
  if (r.battleOn)
    bounds = Bounds(bounds, s.TextBounds(face, ValueSize, EnemyValueX, chk::Add(y, 2), PadLeft(r.enemyValue).View()));
  return Intersection(bounds, PixelRect{0, 0, s.Width(), s.Height()});
}

std::array<PixelRect, 3> BarsBounds(const TBrixBitmap& s, const std::string& face, const BarsView& view) {
  std::array<PixelRect, 3> rows{};
  for (std::size_t i = 0; i < view.size(); ++i) rows[i] = BarRowBounds(s, face, view, i);
  return rows;
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
  s.SetFontSize(LabelSize);
  s.DrawText(LabelX(label), y, label);

  if (battleOn) DrawBar(s, y, EnemyBarStart, -1, enemyValue, enemyMax, color, pale);
  DrawBar(s, y, PlayerBarStart, +1, playerValue, playerMax, color, pale);

  s.SetTextColor(light);
  s.SetFontSize(ValueSize);
  if (battleOn) s.DrawText(EnemyValueX, chk::Add(y, 2), PadLeft(enemyValue).View());
  s.DrawText(PlayerValueX, chk::Add(y, 2), PadRight(playerValue).View());
}

}  // namespace vexa
