#pragma once
// CP932 codes of every non-ASCII character the game can write, sorted by code point; made
// at build time from the desktop's converter (tools/glyph_data.cpp).
#include <cstddef>
#include <cstdint>

namespace vexa {

struct ShiftJisPair {
  char32_t codePoint;
  std::uint16_t code;  // below 0x100: one byte (half-width katakana)
};

extern const ShiftJisPair kShiftJisTable[];
extern const std::size_t kShiftJisTableSize;

}  // namespace vexa
