#pragma once
// Small surfaces and pixel reads for the rendering tests. Colours are compared as
// {red, green, blue} so a failure prints them the way the game writes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <concepts>
#include <cstdint>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "record/UnitData.h"
#include "lib/BrixBmp.h"

namespace vexa::test {

using Rgb3 = std::array<int, 3>;

inline Rgb3 AsRgb(ColorTriple c) { return {c.red, c.green, c.blue}; }
inline ColorTriple FromRgb(const Rgb3& c) {
  return Rgb(static_cast<std::uint8_t>(c[0]), static_cast<std::uint8_t>(c[1]), static_cast<std::uint8_t>(c[2]));
}

inline Rgb3 At(const TBrixBitmap& s, std::int32_t x, std::int32_t y) { return AsRgb(s.rows[y][x]); }
inline void Put(TBrixBitmap& s, std::int32_t x, std::int32_t y, const Rgb3& c) { s.rows[y][x] = FromRgb(c); }

inline constexpr Rgb3 White{255, 255, 255};
inline constexpr Rgb3 Black{0, 0, 0};
inline constexpr Rgb3 Key{255, 0, 0};

inline std::unique_ptr<TBrixBitmap> Filled(std::int32_t w, std::int32_t h, const Rgb3& c) {
  auto s = std::make_unique<TBrixBitmap>();
  s->SetSize(w, h);
  s->Fill(FromRgb(c));
  return s;
}

// Number of pixels in rows [top, bottom) that are not white.
inline int InkIn(const TBrixBitmap& s, std::int32_t top, std::int32_t bottom) {
  int n = 0;
  for (std::int32_t r = top; r < bottom; ++r)
    for (std::int32_t c = 0; c < s.Width(); ++c)
      if (!SameColor(s.rows[r][c], ColorWhite)) ++n;
  return n;
}

inline bool SamePixels(const std::vector<ColorTriple>& a, const std::vector<ColorTriple>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameColor);
}

// First differing pixel as "x,y", or "" when the two surfaces agree everywhere.
inline std::string FirstDifference(const TBrixBitmap& a, const TBrixBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return "sizes differ";
  for (std::int32_t r = 0; r < a.Height(); ++r)
    for (std::int32_t c = 0; c < a.Width(); ++c)
      if (!SameColor(a.rows[r][c], b.rows[r][c])) return std::to_string(c) + "," + std::to_string(r);
  return "";
}

}  // namespace vexa::test

namespace vexa {
namespace {
// Parameterised cases print by their name instead of as raw bytes.
template <class Case>
  requires requires(const Case& c) {
    { c.name } -> std::convertible_to<const char*>;
  }
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}
}  // namespace
}  // namespace vexa
