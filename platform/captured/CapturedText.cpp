// Text from the glyph file captured at build time: the same pixels as the desktop's
// FreeType rendering, without FreeType or fontconfig in the edition.
#include <fstream>
#include <iterator>
#include <memory>

#include "lib/Checked.h"
#include "lib/FontFace.h"
#include "lib/GlyphFile.h"
#include "lib/SystemFiles.h"
#include "platform/captured/CapturedText.h"

namespace vexa {

namespace {

std::string& GlyphPath() {
  static std::string path;
  return path;
}

const GlyphFile& Glyphs() {
  static std::unique_ptr<GlyphFile> glyphs;
  if (!glyphs) {
    std::ifstream in(PathOf(GlyphPath()), std::ios::binary);
    if (!in) throw VexaError("the glyph file " + GlyphPath() + " cannot be read");
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
      glyphs = std::make_unique<GlyphFile>(DecodeGlyphFile(bytes));
    } catch (const VexaError& e) {
      throw VexaError(GlyphPath() + ": " + e.what());
    }
  }
  return *glyphs;
}

}  // namespace

void SetGlyphFile(const std::string& path) { GlyphPath() = path; }

void LayOutText(const std::string& faceName, std::int32_t size, std::uint8_t style, std::string_view text,
                TextLayout& layout) {
  if (text.empty()) {
    layout.glyphs.clear();
    layout.bars.clear();
    return;
  }
  LayOutFromGlyphs(Glyphs(), faceName, size, style, text, layout);
}

std::string FontFileFor(const std::string&) { return GlyphPath(); }

}  // namespace vexa
