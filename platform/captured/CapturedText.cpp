// Text from the glyph file captured at build time: the same pixels as the desktop's
// FreeType rendering, without FreeType or fontconfig in the edition.
#include <algorithm>
#include <fstream>
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
    std::ifstream in(PathOf(GlyphPath()), std::ios::binary | std::ios::ate);
    if (!in) throw VexaError("the glyph file " + GlyphPath() + " cannot be read");
    // In one read: a character at a time took the page tens of milliseconds.
    std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
      throw VexaError("the glyph file " + GlyphPath() + " cannot be read");
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

void LoadGlyphFile() { Glyphs(); }

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
