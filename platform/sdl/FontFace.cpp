#include "lib/FontFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "lib/BrixBmp.h"
#include "lib/Checked.h"
#include "lib/ShiftJis.h"
#include "lib/Utf8Sequence.h"

namespace vexa {

namespace {

constexpr std::int32_t kMaxFontSize = 1024;
// Wider than any picture the game makes; a longer bar would only be cut off.
constexpr std::int32_t kMaxBarWidth = 32000;

// The game asks for the Windows face "ＭＳ ゴシック". Here the same kind of face (a Japanese
// monospaced gothic whose half-width glyphs are half an em) stands in for it.
const std::vector<std::string>& JapaneseGothics() {
  static const std::vector<std::string> names = {"IPAGothic", "IPAゴシック", "MS Gothic", "ＭＳ ゴシック",
                                                 "TakaoGothic", "VL Gothic", "Noto Sans Mono CJK JP"};
  return names;
}

bool IsMsGothicName(const std::string& name) {
  return name == "ＭＳ ゴシック" || name == "MS Gothic" || name == "ＭＳ ｺﾞｼｯｸ" || name == "MS ゴシック";
}

bool SameFamily(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x == y) continue;
    if (x >= 0x80 || y >= 0x80 || std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

struct FontFileRef {
  std::string file;
  int index = 0;
};

// fontconfig always answers with some font; only a font that carries the asked family
// counts as found.
bool MatchFamily(const std::string& family, FontFileRef& found) {
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  bool ok = false;
  FcChar8* value = nullptr;
  for (int i = 0; !ok && FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch; ++i)
    ok = SameFamily(reinterpret_cast<const char*>(value), family);
  FcChar8* file = nullptr;
  if (ok && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    found.file = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) found.index = index;
  } else {
    ok = false;
  }
  FcPatternDestroy(match);
  return ok;
}

FontFileRef ResolveFace(const std::string& faceName) {
  if (FcInit() == FcFalse) throw VexaError("fontconfig could not be started, so no font for \"" + faceName + "\"");
  std::vector<std::string> candidates;
  if (!IsMsGothicName(faceName)) candidates.push_back(faceName);
  for (const std::string& name : JapaneseGothics()) candidates.push_back(name);
  FontFileRef found;
  for (const std::string& name : candidates)
    if (MatchFamily(name, found)) return found;
  throw VexaError("no Japanese gothic font for \"" + faceName +
                  "\" was found through fontconfig; install the package fonts-ipafont-gothic");
}

struct SizeMetrics {
  std::int32_t ascent = 0;  // baseline, in rows below the top of the cell
  std::vector<PixelRow> underline;
  std::vector<PixelRow> strikeOut;
};

struct LoadedFace {
  FT_Face face = nullptr;
  std::unordered_map<std::uint64_t, GlyphImage> glyphs;
  std::map<std::int32_t, SizeMetrics> metrics;
};

std::int32_t RoundToInt(double v) { return static_cast<std::int32_t>(std::lround(v)); }

// The cell height is ascender plus descender; for the gothics above that is one em.
double CellUnits(FT_Face face) {
  const double cell = static_cast<double>(face->ascender) - static_cast<double>(face->descender);
  return cell > 0 ? cell : static_cast<double>(face->units_per_EM);
}

void SelectSize(FT_Face face, std::int32_t size) {
  if (FT_IS_SCALABLE(face)) {
    const double ppem = size * static_cast<double>(face->units_per_EM) / CellUnits(face);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::max(1, RoundToInt(ppem))));
  } else {
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
  }
}

// A horizontal bar (underline, strike-out) as rows; widened to the text when drawn.
std::vector<PixelRow> Bar(std::int32_t top, std::int32_t thickness) {
  std::vector<PixelRow> bar;
  for (std::int32_t r = 0; r < std::max(1, thickness); ++r) bar.push_back({top + r, 0, 1});
  return bar;
}

SizeMetrics MeasureSize(FT_Face face, std::int32_t size) {
  SizeMetrics m;
  if (FT_IS_SCALABLE(face)) {
    const double scale = size / CellUnits(face);
    m.ascent = RoundToInt(face->ascender * scale);
    const std::int32_t thick = std::max(1, RoundToInt(face->underline_thickness * scale));
    // Kept inside the cell, as the cell height is all the line has.
    const std::int32_t below = std::max(1, RoundToInt(-face->underline_position * scale));
    m.underline = Bar(std::min(m.ascent + below, size - thick), thick);
    m.strikeOut = Bar(m.ascent - std::max(1, RoundToInt(face->ascender * scale * 0.3)), thick);
  } else {
    m.ascent = static_cast<std::int32_t>(face->size->metrics.ascender >> 6);
    m.underline = Bar(m.ascent + 1, 1);
    m.strikeOut = Bar(m.ascent - std::max(1, m.ascent / 3), 1);
  }
  return m;
}

bool BitAt(const FT_Bitmap& bitmap, std::int32_t row, std::int32_t col) {
  if (col < 0 || col >= static_cast<std::int32_t>(bitmap.width)) return false;
  const unsigned char* line = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
  if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return ((line[col >> 3] >> (7 - (col & 7))) & 1) != 0;
  return line[col] >= 128;  // a grey embedded strike: keep it one bit deep all the same
}

GlyphImage RenderGlyph(FT_Face face, std::int32_t size, std::uint8_t style, char32_t cp, std::int32_t ascent) {
  SelectSize(face, size);
  const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(cp));
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) return {};
  FT_GlyphSlot slot = face->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if ((style & fsItalic) != 0) {
      const FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // the usual synthetic slant, about 12 degrees
      FT_Outline_Transform(&slot->outline, &shear);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return {};
  }
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.buffer == nullptr ||
      (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY))
    return {};
  const bool bold = (style & fsBold) != 0;
  const auto width = static_cast<std::int32_t>(bitmap.width) + (bold ? 1 : 0);
  std::vector<PixelRow> runs;
  for (std::int32_t r = 0; r < static_cast<std::int32_t>(bitmap.rows); ++r) {
    // Synthetic bold: the glyph OR-ed with itself one pixel to the right.
    auto on = [&](std::int32_t col) { return BitAt(bitmap, r, col) || (bold && BitAt(bitmap, r, col - 1)); };
    for (std::int32_t c = 0; c < width;) {
      if (!on(c)) {
        ++c;
        continue;
      }
      const std::int32_t start = c;
      while (c < width && on(c)) ++c;
      runs.push_back({ascent - slot->bitmap_top + r, slot->bitmap_left + start, slot->bitmap_left + c});
    }
  }
  return MakeGlyphImage(runs);
}

class FontCache {
 public:
  ~FontCache() {
    for (auto& [key, face] : faces_) FT_Done_Face(face->face);
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }

  std::mutex mutex;

  LoadedFace& FaceFor(const std::string& faceName) {
    const auto named = byName_.find(faceName);
    if (named != byName_.end()) return *named->second;
    const FontFileRef ref = ResolveFace(faceName);
    const std::string key = ref.file + "#" + std::to_string(ref.index);
    auto& slot = faces_[key];
    if (!slot) {
      if (library_ == nullptr && FT_Init_FreeType(&library_) != 0) {
        library_ = nullptr;
        faces_.erase(key);
        throw VexaError("FreeType could not be started");
      }
      FT_Face face = nullptr;
      if (FT_New_Face(library_, ref.file.c_str(), ref.index, &face) != 0) {
        faces_.erase(key);
        throw VexaError("the font file " + ref.file + " for \"" + faceName +
                        "\" cannot be read; reinstall the package fonts-ipafont-gothic");
      }
      FT_Select_Charmap(face, FT_ENCODING_UNICODE);
      slot = std::make_unique<LoadedFace>();
      slot->face = face;
    }
    byName_[faceName] = slot.get();
    return *slot;
  }

  std::string FileOf(const std::string& faceName) { return ResolveFace(faceName).file; }

 private:
  FT_Library library_ = nullptr;
  std::map<std::string, std::unique_ptr<LoadedFace>> faces_;
  std::map<std::string, LoadedFace*> byName_;
};

FontCache& Cache() {
  static FontCache cache;
  return cache;
}


}  // namespace

void LayOutText(const std::string& faceName, std::int32_t size, std::uint8_t style, std::string_view text,
                TextLayout& layout) {
  layout.glyphs.clear();
  layout.bars.clear();
  if (text.empty()) return;
  if (size < 1 || size > kMaxFontSize)
    throw VexaError("font size " + std::to_string(size) + " is outside 1.." + std::to_string(kMaxFontSize));
  const std::int32_t cell = HalfCellWidth(size, style);
  FontCache& cache = Cache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  LoadedFace& face = cache.FaceFor(faceName);
  auto metrics = face.metrics.find(size);
  if (metrics == face.metrics.end()) {
    SelectSize(face.face, size);
    metrics = face.metrics.emplace(size, MeasureSize(face.face, size)).first;
  }
  const std::uint8_t shape = style & (fsBold | fsItalic);
  const std::uint64_t sizeKey = (static_cast<std::uint64_t>(size) << 32) | (static_cast<std::uint64_t>(shape) << 24);
  std::int32_t x = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::string_view seq = text.substr(i, SequenceLength(text, i));
    i += seq.size();
    const char32_t cp = DecodeSequence(seq) & 0xFFFFFF;
    auto glyph = face.glyphs.find(sizeKey | cp);
    if (glyph == face.glyphs.end()) {
      GlyphImage image = RenderGlyph(face.face, size, shape, cp, metrics->second.ascent);
      image.bytes = ShiftJisLength(seq);  // the same for every sequence that decodes to cp
      glyph = face.glyphs.emplace(sizeKey | cp, std::move(image)).first;
    }
    layout.glyphs.push_back({x, &glyph->second});
    x = chk::Add(x, chk::Mul(glyph->second.bytes, cell));
  }
  for (const auto& [bit, bar] : {std::pair{fsUnderline, &metrics->second.underline},
                                 std::pair{fsStrikeOut, &metrics->second.strikeOut}}) {
    if ((style & bit) == 0 || x <= 0) continue;
    std::vector<PixelRow> rows = *bar;
    for (PixelRow& row : rows) row.to = std::min(x, kMaxBarWidth);
    layout.bars.push_back(MakeGlyphImage(rows));
  }
  for (const GlyphImage& bar : layout.bars) layout.glyphs.push_back({0, &bar});
}

std::string FontFileFor(const std::string& faceName) {
  FontCache& cache = Cache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  return cache.FileOf(faceName);
}

}  // namespace vexa

#if defined(__SANITIZE_ADDRESS__)
// fontconfig 2.14 loses a few hundred bytes while parsing its own configuration on the first
// lookup; nothing the game holds can free them, so leak checks leave that library out.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
