#pragma once
// The glyphs the game can draw, captured once from the desktop's text code and kept in a
// compact file, so that a build without fontconfig or FreeType lays out the same pixels.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "lib/FontFace.h"

namespace vexa {

struct GlyphSet {
  std::int32_t size = 0;
  std::uint8_t shape = 0;  // bold and italic only; the bars are drawn at layout time
  std::vector<std::int32_t> underlineRows;
  std::vector<std::int32_t> strikeOutRows;
  std::map<char32_t, GlyphImage> glyphs;
};

struct GlyphFile {
  std::string face;  // the face name the game asks for
  std::vector<GlyphSet> sets;
};

struct GlyphShape {
  std::int32_t size = 0;
  std::uint8_t shape = 0;
};

// Every code point in `text` once, plus the printable ASCII range.
std::vector<char32_t> CodePointsOf(std::string_view text);

// Lays out every code point in every shape through LayOutText; raises what it raises.
GlyphFile CaptureGlyphs(const std::string& face, const std::vector<GlyphShape>& shapes,
                        const std::vector<char32_t>& codePoints);

std::string EncodeGlyphFile(const GlyphFile& file);
// Raises VexaError when the bytes are not a whole glyph file.
GlyphFile DecodeGlyphFile(std::string_view bytes);

// What LayOutText gives for the same face, size and style, from the file alone. Raises
// VexaError for a face, size, shape or character the file does not hold.
void LayOutFromGlyphs(const GlyphFile& file, const std::string& faceName, std::int32_t size, std::uint8_t style,
                      std::string_view text, TextLayout& layout);

// The UTF-8 form of one code point.
std::string Utf8Of(char32_t cp);

}  // namespace vexa
