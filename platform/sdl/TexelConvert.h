#pragma once
// The backbuffer is 24-bit blue-green-red; window surfaces and renderers take 32-bit
// texels, so each frame is widened here on the way out, and blown up to the window's
// scale at the same time.
#include <cstdint>

#include "lib/BrixBmp.h"
#include "platform/shared/ViewScale.h"

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

// Where texels go: `height` rows of `width` texels, `pitch` bytes apart.
struct TexelTarget {
  void* pixels = nullptr;
  std::int32_t pitch = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Writes `height` rows of `width` texels, `pitch` bytes apart, from contiguous source rows.
void WidenFrame(const ColorTriple* source, std::int32_t width, std::int32_t height, const TexelLayout& layout,
                void* target, std::int32_t pitch);

// Writes the game pixels in `part` (which lies within the frame) of a frame `frameWidth`
// pixels wide, each as a block of view.scale x view.scale texels placed through the view,
// cut to the target's bounds.
// Returns the target pixels written (empty when none are).
PixelRect WidenScaled(const ColorTriple* frame, std::int32_t frameWidth, const PixelRect& part,
                      const TexelLayout& layout, const ViewMap& view, const TexelTarget& target);

// `part` of the game in target pixels through the view, cut to the target's bounds.
PixelRect TargetRect(const PixelRect& part, const ViewMap& view, const TexelTarget& target);

// Fills the target pixels in `rect` (cut to the target) with one texel.
void FillTexels(const TexelTarget& target, const PixelRect& rect, std::uint32_t texel);

// Fills every target pixel outside `inside` with one texel.
void FillAround(const TexelTarget& target, const PixelRect& inside, std::uint32_t texel);

// The texel of one colour.
std::uint32_t Texel(ColorTriple color, const TexelLayout& layout);

}  // namespace vexa
