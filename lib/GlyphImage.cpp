// The glyph arithmetic shared by every source of glyphs.
#include <algorithm>

#include "lib/BrixBmp.h"
#include "lib/Checked.h"
#include "lib/FontFace.h"

namespace vexa {

GlyphImage MakeGlyphImage(const std::vector<PixelRow>& runs) {
  GlyphImage image;
  bool any = false;
  for (const PixelRow& run : runs) {
    if (run.from >= run.to) continue;
    image.top = any ? std::min(image.top, run.row) : run.row;
    image.bottom = any ? std::max(image.bottom, run.row + 1) : run.row + 1;
    image.left = any ? std::min(image.left, run.from) : run.from;
    image.right = any ? std::max(image.right, run.to) : run.to;
    any = true;
  }
  if (!any) return image;
  // Runs may overlap (bold); a map of the bounds gives each pixel once, row by row.
  const std::int32_t w = image.right - image.left;
  const std::int32_t h = image.bottom - image.top;
  std::vector<std::uint8_t> on(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
  for (const PixelRow& run : runs)
    for (std::int32_t c = run.from; c < run.to; ++c)
      on[static_cast<std::size_t>(run.row - image.top) * static_cast<std::size_t>(w) +
         static_cast<std::size_t>(c - image.left)] = 1;
  for (std::int32_t r = 0; r < h; ++r)
    for (std::int32_t c = 0; c < w; ++c)
      if (on[static_cast<std::size_t>(r) * static_cast<std::size_t>(w) + static_cast<std::size_t>(c)] != 0)
        image.pixels.push_back({static_cast<std::int16_t>(r + image.top), static_cast<std::int16_t>(c + image.left)});
  return image;
}

std::int32_t HalfCellWidth(std::int32_t size, std::uint8_t style) {
  return chk::Add(chk::Div(chk::Add(size, 1), 2), (style & fsBold) != 0 ? 1 : 0);
}

}  // namespace vexa
