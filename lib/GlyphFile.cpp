#include "lib/GlyphFile.h"

#include <algorithm>
#include <bit>
#include <set>

#include "lib/BrixBmp.h"
#include "lib/Checked.h"
#include "lib/ShiftJis.h"
#include "lib/Utf8Sequence.h"

namespace vexa {

namespace {

constexpr std::string_view kMagic = "VEXAGLYPHS1\n";
// Wider than any picture the game makes; a longer bar would only be cut off (as on the desktop).
constexpr std::int32_t kMaxBarWidth = 32000;


std::vector<std::int32_t> BarRows(const std::string& face, std::int32_t size, std::uint8_t style) {
  TextLayout layout;
  LayOutText(face, size, style, "A", layout);
  std::vector<std::int32_t> rows;
  if (layout.bars.empty()) throw VexaError("the text code drew no bar for style " + std::to_string(style));
  for (std::int32_t r = layout.bars[0].top; r < layout.bars[0].bottom; ++r) rows.push_back(r);
  return rows;
}

class Writer {
 public:
  void U8(std::uint32_t v) { out_.push_back(static_cast<char>(v & 0xFF)); }
  void U32(std::uint32_t v) {
    for (int k = 0; k < 4; ++k) U8(v >> (8 * k));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void Text(std::string_view s) {
    U32(static_cast<std::uint32_t>(s.size()));
    out_.append(s);
  }
  std::string& Bytes() { return out_; }

 private:
  std::string out_;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  std::uint32_t U8() {
    Need(1);
    return static_cast<unsigned char>(in_[at_++]);
  }
  std::uint32_t U32() {
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= U8() << (8 * k);
    return v;
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::string Text() {
    const std::uint32_t n = U32();
    Need(n);
    std::string s(in_.substr(at_, n));
    at_ += n;
    return s;
  }
  // A count of things that each take at least `each` bytes, checked against what is left.
  std::uint32_t Count(std::size_t each) {
    const std::uint32_t n = U32();
    Need(static_cast<std::size_t>(n) * each);
    return n;
  }
  std::string_view Bytes(std::size_t n) {
    Need(n);
    const std::string_view bytes = in_.substr(at_, n);
    at_ += n;
    return bytes;
  }
  bool AtEnd() const { return at_ == in_.size(); }
  void Need(std::size_t n) const {
    if (n > in_.size() - at_) throw VexaError("the glyph file ends early");
  }

 private:
  std::string_view in_;
  std::size_t at_ = 0;
};

void WriteRows(Writer& w, const std::vector<std::int32_t>& rows) {
  w.U32(static_cast<std::uint32_t>(rows.size()));
  for (std::int32_t r : rows) w.I32(r);
}

std::vector<std::int32_t> ReadRows(Reader& r) {
  std::vector<std::int32_t> rows(r.Count(4));
  for (std::int32_t& row : rows) row = r.I32();
  return rows;
}

// The lit pixels, row by row in the bits' own order. The page decodes every glyph while it
// starts, in its first, unoptimised code: whole bytes are counted and skipped, and each lit bit
// is found directly, rather than each pixel tested. Bits past the glyph's area are padding.
void DecodeGlyphBits(std::string_view bits, std::size_t area, GlyphImage& g) {
  const auto width = static_cast<std::size_t>(g.right - g.left);
  std::size_t lit = 0;
  for (const char b : bits) lit += static_cast<std::size_t>(std::popcount(static_cast<unsigned char>(b)));
  g.pixels.resize(lit);  // padding bits may be counted: cut to what is found below
  GlyphPixel* out = g.pixels.data();
  std::size_t row = 0, rowStart = 0;
  for (std::size_t at = 0; at < bits.size(); ++at) {
    for (unsigned b = static_cast<unsigned char>(bits[at]); b != 0; b &= b - 1) {
      const std::size_t k = at * 8 + static_cast<std::size_t>(std::countr_zero(b));
      if (k >= area) break;
      while (k >= rowStart + width) {
        rowStart += width;
        ++row;
      }
      *out++ = {static_cast<std::int16_t>(g.top + static_cast<std::int32_t>(row)),
                static_cast<std::int16_t>(g.left + static_cast<std::int32_t>(k - rowStart))};
    }
  }
  g.pixels.resize(static_cast<std::size_t>(out - g.pixels.data()));
}

}  // namespace

std::string Utf8Of(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::vector<char32_t> CodePointsOf(std::string_view text) {
  std::set<char32_t> found;
  for (char32_t c = 0x20; c < 0x7F; ++c) found.insert(c);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = SequenceLength(text, i);
    const char32_t cp = DecodeSequence(text.substr(i, n));
    i += n;
    if (n > 1) found.insert(cp);
  }
  return {found.begin(), found.end()};
}

GlyphFile CaptureGlyphs(const std::string& face, const std::vector<GlyphShape>& shapes,
                        const std::vector<char32_t>& codePoints) {
  GlyphFile file;
  file.face = face;
  for (const GlyphShape& shape : shapes) {
    GlyphSet set;
    set.size = shape.size;
    set.shape = shape.shape & (fsBold | fsItalic);
    set.underlineRows = BarRows(face, shape.size, set.shape | fsUnderline);
    set.strikeOutRows = BarRows(face, shape.size, set.shape | fsStrikeOut);
    TextLayout layout;
    for (char32_t cp : codePoints) {
      LayOutText(face, shape.size, set.shape, Utf8Of(cp), layout);
      set.glyphs.emplace(cp, *layout.glyphs.at(0).image);
    }
    file.sets.push_back(std::move(set));
  }
  return file;
}

// Each glyph as its bounds and a bitmap of them, one bit a pixel, row by row.
std::string EncodeGlyphFile(const GlyphFile& file) {
  Writer w;
  w.Bytes().append(kMagic);
  w.Text(file.face);
  w.U32(static_cast<std::uint32_t>(file.sets.size()));
  for (const GlyphSet& set : file.sets) {
    w.I32(set.size);
    w.U8(set.shape);
    WriteRows(w, set.underlineRows);
    WriteRows(w, set.strikeOutRows);
    w.U32(static_cast<std::uint32_t>(set.glyphs.size()));
    for (const auto& [cp, g] : set.glyphs) {
      w.U32(cp);
      w.U8(static_cast<std::uint32_t>(g.bytes));
      w.I32(g.top);
      w.I32(g.left);
      w.I32(g.bottom);
      w.I32(g.right);
      const std::int32_t width = g.right - g.left;
      std::vector<std::uint8_t> bits((static_cast<std::size_t>(width) * static_cast<std::size_t>(g.bottom - g.top) + 7) / 8);
      for (const GlyphPixel& p : g.pixels) {
        const std::size_t k = static_cast<std::size_t>((p.row - g.top) * width + (p.col - g.left));
        bits[k / 8] = static_cast<std::uint8_t>(bits[k / 8] | (1u << (k % 8)));
      }
      for (std::uint8_t b : bits) w.U8(b);
    }
  }
  return std::move(w.Bytes());
}

GlyphFile DecodeGlyphFile(std::string_view bytes) {
  if (bytes.substr(0, kMagic.size()) != kMagic) throw VexaError("not a glyph file");
  Reader r(bytes.substr(kMagic.size()));
  GlyphFile file;
  file.face = r.Text();
  file.sets.resize(r.Count(13));
  for (GlyphSet& set : file.sets) {
    set.size = r.I32();
    set.shape = static_cast<std::uint8_t>(r.U8());
    set.underlineRows = ReadRows(r);
    set.strikeOutRows = ReadRows(r);
    const std::uint32_t count = r.Count(21);
    for (std::uint32_t n = 0; n < count; ++n) {
      GlyphImage g;
      const char32_t cp = r.U32();
      g.bytes = static_cast<std::int32_t>(r.U8());
      g.top = r.I32();
      g.left = r.I32();
      g.bottom = r.I32();
      g.right = r.I32();
      const std::int64_t width = std::int64_t{g.right} - g.left;
      const std::int64_t height = std::int64_t{g.bottom} - g.top;
      // Glyphs are a cell or two; anything larger is a damaged file, not a glyph.
      if (width < 0 || height < 0 || width > 4096 || height > 4096 || g.top < -4096 || g.left < -4096 ||
          g.bottom > 4096 || g.right > 4096)
        throw VexaError("the glyph file holds impossible bounds for U+" + std::to_string(cp));
      const std::size_t area = static_cast<std::size_t>(width * height);
      const std::string_view bits = r.Bytes((area + 7) / 8);
      DecodeGlyphBits(bits, area, g);
      set.glyphs.emplace(cp, std::move(g));
    }
  }
  if (!r.AtEnd()) throw VexaError("the glyph file has bytes after its last glyph");
  return file;
}

void LayOutFromGlyphs(const GlyphFile& file, const std::string& faceName, std::int32_t size, std::uint8_t style,
                      std::string_view text, TextLayout& layout) {
  layout.glyphs.clear();
  layout.bars.clear();
  if (text.empty()) return;
  if (faceName != file.face) throw VexaError("the glyph file holds \"" + file.face + "\", not \"" + faceName + "\"");
  const std::uint8_t shape = style & (fsBold | fsItalic);
  const auto set = std::find_if(file.sets.begin(), file.sets.end(),
                                [&](const GlyphSet& s) { return s.size == size && s.shape == shape; });
  if (set == file.sets.end())
    throw VexaError("the glyph file holds no glyphs of size " + std::to_string(size) + " in style " +
                    std::to_string(shape));
  const std::int32_t cell = HalfCellWidth(size, style);
  std::int32_t x = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::string_view seq = text.substr(i, SequenceLength(text, i));
    i += seq.size();
    const char32_t cp = DecodeSequence(seq) & 0xFFFFFF;
    const auto glyph = set->glyphs.find(cp);
    if (glyph == set->glyphs.end())
      throw VexaError("the glyph file holds no glyph for \"" + std::string(seq) + "\"");
    layout.glyphs.push_back({x, &glyph->second});
    x = chk::Add(x, chk::Mul(glyph->second.bytes, cell));
  }
  for (const auto& [bit, rows] : {std::pair{fsUnderline, &set->underlineRows},
                                  std::pair{fsStrikeOut, &set->strikeOutRows}}) {
    if ((style & bit) == 0 || x <= 0) continue;
    std::vector<PixelRow> bar;
    for (std::int32_t row : *rows) bar.push_back({row, 0, std::min(x, kMaxBarWidth)});
    layout.bars.push_back(MakeGlyphImage(bar));
  }
  for (const GlyphImage& bar : layout.bars) layout.glyphs.push_back({0, &bar});
}

}  // namespace vexa
