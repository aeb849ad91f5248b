#pragma once
// The backbuffer is 24-bit blue-green-red; renderers take 32-bit texels natively and
// make 24-bit uploads their slowest path, so each frame is widened here on the way out.
#include <cstdint>

#include "lib/BrixBmp.h"

namespace vexa {

// Bit positions of one packed 32-bit texel; `fill` sets the unused or alpha byte opaque.
struct TexelLayout {
  std::uint8_t redShift = 16;
  std::uint8_t greenShift = 8;
  std::uint8_t blueShift = 0;
  std::uint32_t fill = 0xFF000000u;
};

// Layout of an SDL pixel format code; false for one that is not a packed 8-8-8(-8) format.
bool TexelLayoutFor(std::uint32_t sdlFormat, TexelLayout& layout);

// Writes `height` rows of `width` texels, `pitch` bytes apart, from contiguous source rows.
void WidenFrame(const ColorTriple* source, std::int32_t width, std::int32_t height, const TexelLayout& layout,
                void* target, std::int32_t pitch);

}  // namespace vexa
