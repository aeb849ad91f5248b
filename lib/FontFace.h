#pragma once
// Text for TBrixBitmap: glyphs one bit deep (no anti-aliasing, like the bitmap fonts the game
// was made with) laid out in fixed cells, each glyph kept for the life of the process so a
// line costs only its copies. Each platform draws them its own way: the desktop resolves the
// face through fontconfig and renders with FreeType (platform/sdl/FontFace.cpp); the page
// reads the glyphs the desktop's code captured at build time (platform/captured/CapturedText.cpp).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// A glyph pixel, counted from the top-left of the character's cell.
struct GlyphPixel {
  std::int16_t row = 0;
  std::int16_t col = 0;
};

struct GlyphImage {
  std::vector<GlyphPixel> pixels;  // row by row, left to right
  // Bounds of `pixels` (bottom and right excluded); all zero for an empty glyph.
  std::int32_t top = 0, left = 0, bottom = 0, right = 0;
  std::int32_t bytes = 0;  // the character's length in Shift-JIS, 1 or 2 (0 for a bar)
};

// The image of a set of pixels given as runs on rows: (row, from, to), `to` excluded.
struct PixelRow {
  std::int32_t row = 0;
  std::int32_t from = 0;
  std::int32_t to = 0;
};
GlyphImage MakeGlyphImage(const std::vector<PixelRow>& runs);

// Width of one half-width cell: (size + 1) div 2, one more when bold. A character that
// takes two Shift-JIS bytes takes two cells.
std::int32_t HalfCellWidth(std::int32_t size, std::uint8_t style);

struct PlacedGlyph {
  std::int32_t cellX = 0;  // left edge of the character's cell, from the text's left edge
  const GlyphImage* image = nullptr;
};

// A text laid out in cells; the glyph images live as long as the process, except the
// underline and strike-out bars, which the layout holds.
struct TextLayout {
  std::vector<PlacedGlyph> glyphs;  // one per character, then one per bar
  std::vector<GlyphImage> bars;
};

// Lays out the UTF-8 text (reusing `layout`'s storage). Raises VexaError when no usable face
// is installed or the size is outside 1..1024.
void LayOutText(const std::string& faceName, std::int32_t size, std::uint8_t style, std::string_view text,
                TextLayout& layout);

// The font file the face name resolves to (for tools that want the same glyph outlines); the
// page, which has no font files, names its glyph file.
std::string FontFileFor(const std::string& faceName);

}  // namespace vexa
