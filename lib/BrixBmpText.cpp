// Text on a TBrixBitmap, with the optional one-pixel soft rim in the text colour.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "lib/BrixBmp.h"
#include "lib/Checked.h"
#include "lib/FontFace.h"
#include "lib/InkPainter.h"
#include "lib/PerThread.h"
#include "lib/ShiftJis.h"

namespace vexa {

namespace {

// ---- the soft rim's arithmetic ------------------------------------------------------------

// A byte moved a quarter of the way toward the text's byte k times in a row, k = 0..4:
// each step b -> (3b + t) div 4.
struct Blends {
  ColorTriple ink{};
  std::array<std::array<std::uint8_t, 256>, 5> blue{}, green{}, red{};
};

const Blends& BlendsToward(ColorTriple ink) {
  VEXA_PER_THREAD std::array<Blends, 8> cache;
  VEXA_PER_THREAD std::size_t used = 0, next = 0;
  for (std::size_t i = 0; i < used; ++i)
    if (SameColor(cache[i].ink, ink)) return cache[i];
  Blends& b = cache[next];
  next = (next + 1) % cache.size();
  used = std::min(used + 1, cache.size());
  b.ink = ink;
  for (int v = 0; v < 256; ++v) {
    b.blue[0][v] = b.green[0][v] = b.red[0][v] = static_cast<std::uint8_t>(v);
    for (int k = 1; k <= 4; ++k) {
      b.blue[k][v] = static_cast<std::uint8_t>((3 * b.blue[k - 1][v] + ink.blue) / 4);
      b.green[k][v] = static_cast<std::uint8_t>((3 * b.green[k - 1][v] + ink.green) / 4);
      b.red[k][v] = static_cast<std::uint8_t>((3 * b.red[k - 1][v] + ink.red) / 4);
    }
  }
  return b;
}

inline void Blend(ColorTriple& p, const Blends& b, std::size_t k) {
  // All loads before any store: a byte store could alias the tables, which would otherwise
  // hold each load back until the store before it is done.
  const std::uint8_t blue = p.blue, green = p.green, red = p.red;
  const ColorTriple blended{b.blue[k][blue], b.green[k][green], b.red[k][red]};
  p = blended;
}

inline bool IsBlack(const ColorTriple& p) { return (p.blue | p.green | p.red) == 0; }
inline bool IsWhite(const ColorTriple& p) { return (p.blue & p.green & p.red) == 0xFF; }

// ---- whole lines, ready to stamp ----------------------------------------------------------
}  // namespace

// The game draws the same few texts every frame. A stamp holds a text's glyph pixels and its
// rim (the pixels next to a glyph pixel inside the text's box, with how many of their four
// neighbours are glyph pixels) as offsets into a surface of one width, so drawing is two
// passes over precomputed offsets. It serves whenever all of it lies on the surface; then
// no neighbour falls outside the surface and the box needs no clamping, and the rim gives
// exactly what the scan over the work surface gives.

struct InkRun {
  std::int32_t offset;  // of the first pixel
  std::int32_t length;  // pixels
  std::int32_t row;     // of the first pixel, from the text's origin; a run never leaves its row
  std::int32_t col;
};

// Where a rim pixel lies from the text's origin, for drawing under a clip.
struct RimPlace {
  std::int32_t row;
  std::int32_t col;
};

struct TextStamp {
  std::int32_t surfaceWidth = 0;
  std::int64_t top = 0, left = 0, bottom = 0, right = 0;  // all it touches, from the text's origin
  std::vector<InkRun> ink;                                // glyph pixels, run by run
  std::vector<std::int32_t> rim;
  std::vector<std::uint8_t> rimNeighbours;
  std::vector<RimPlace> rimPlaces;
};

namespace {

// Past this many pixels a line is not worth keeping (and only absurd sizes get there).
constexpr std::int64_t kMaxStampArea = std::int64_t{1} << 22;
constexpr std::size_t kMaxStamps = 512;

// The box of a layout's glyph pixels, from the text's origin; false when it inks nothing.
bool GlyphBounds(const TextLayout& layout, std::int64_t& top, std::int64_t& left, std::int64_t& bottom,
                 std::int64_t& right) {
  bool any = false;
  for (const PlacedGlyph& g : layout.glyphs) {
    if (g.image->pixels.empty()) continue;
    const GlyphImage& i = *g.image;
    top = any ? std::min<std::int64_t>(top, i.top) : i.top;
    bottom = any ? std::max<std::int64_t>(bottom, i.bottom) : i.bottom;
    left = any ? std::min<std::int64_t>(left, g.cellX + i.left) : g.cellX + i.left;
    right = any ? std::max<std::int64_t>(right, g.cellX + i.right) : g.cellX + i.right;
    any = true;
  }
  return any;
}

// Where new stamps are worked out, kept from one to the next: a stamp is then copied out in a
// few allocations of its exact size instead of vectors grown a step at a time, and no vector
// lives on the stack around the calls (in the browser build, each call in such a scope goes
// out to JavaScript and back).
struct StampWork {
  TextLayout layout;
  std::vector<std::uint8_t> on;
  TextStamp stamp;
};

// Fills work.stamp from work.layout; false when the stamp would be too large to keep.
bool MakeStamp(StampWork& work, std::int32_t surfaceWidth, std::int32_t boxRight, std::int32_t boxBottom) {
  const TextLayout& layout = work.layout;
  TextStamp& stamp = work.stamp;
  stamp.surfaceWidth = surfaceWidth;
  stamp.top = stamp.left = stamp.bottom = stamp.right = 0;
  stamp.ink.clear();
  stamp.rim.clear();
  stamp.rimNeighbours.clear();
  stamp.rimPlaces.clear();
  // Bounds of the glyph pixels, from the text's origin.
  std::int64_t top = 0, left = 0, bottom = 0, right = 0;
  if (!GlyphBounds(layout, top, left, bottom, right)) {
    // Nothing to draw; the origin must still be a pixel of the surface.
    stamp.bottom = stamp.right = 1;
    return true;
  }
  // A map one pixel larger on every side: glyph pixels first, then the rim around them.
  const std::int64_t w = right - left + 2;
  const std::int64_t h = bottom - top + 2;
  if (w * h > kMaxStampArea) return false;
  const std::int64_t farthest = (std::max(-top, bottom) + 1) * (std::int64_t{surfaceWidth} + 1) + w + std::max(-left, right);
  if (farthest > INT32_MAX) return false;  // offsets must fit their 32 bits
  std::vector<std::uint8_t>& on = work.on;
  on.assign(static_cast<std::size_t>(w * h), 0);
  auto at = [&](std::int64_t r, std::int64_t c) { return static_cast<std::size_t>((r - top + 1) * w + (c - left + 1)); };
  for (const PlacedGlyph& g : layout.glyphs)
    for (const GlyphPixel& p : g.image->pixels) on[at(p.row, g.cellX + p.col)] = 1;
  stamp.top = top - 1;
  stamp.left = left - 1;
  stamp.bottom = bottom + 1;
  stamp.right = right + 1;
  for (std::int64_t r = top - 1; r <= bottom; ++r)
    for (std::int64_t c = left - 1; c <= right; ++c) {
      const std::int64_t offset = r * surfaceWidth + c;
      if (on[at(r, c)] != 0) {
        if (!stamp.ink.empty() && stamp.ink.back().row == r && stamp.ink.back().offset + stamp.ink.back().length == offset)
          ++stamp.ink.back().length;
        else
          stamp.ink.push_back(
              {static_cast<std::int32_t>(offset), 1, static_cast<std::int32_t>(r), static_cast<std::int32_t>(c)});
        continue;
      }
      // The rim stays inside the box the text is assumed to fill.
      if (r < -1 || r >= boxBottom || c < -1 || c >= boxRight) continue;
      auto glyph = [&](std::int64_t rr, std::int64_t cc) {
        return rr >= top && rr < bottom && cc >= left && cc < right && on[at(rr, cc)] != 0;
      };
      const int count = glyph(r - 1, c) + glyph(r + 1, c) + glyph(r, c - 1) + glyph(r, c + 1);
      if (count == 0) continue;
      stamp.rim.push_back(static_cast<std::int32_t>(offset));
      stamp.rimNeighbours.push_back(static_cast<std::uint8_t>(count));
      stamp.rimPlaces.push_back({static_cast<std::int32_t>(r), static_cast<std::int32_t>(c)});
    }
  return true;
}

struct StampCache {
  std::unordered_map<std::string, std::unique_ptr<TextStamp>> stamps;
  std::string key;
  StampWork work;
};

// The stamp for the text on a surface of this width, or none when it would be too large.
const TextStamp* StampFor(const std::string& face, std::int32_t size, std::uint8_t style, std::string_view text,
                          std::int32_t surfaceWidth) {
  VEXA_PER_THREAD StampCache cache;
  std::string& key = cache.key;
  key.assign(face);
  key += '\0';
  // The numbers as raw bytes: no temporary strings on a path taken for every text drawn.
  const std::int32_t numbers[3] = {size, style, surfaceWidth};
  key.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
  key.append(text);
  const auto found = cache.stamps.find(key);
  if (found != cache.stamps.end()) return found->second.get();
  LayOutText(face, size, style, text, cache.work.layout);
  // The box of the soft rim, from the text's origin: cells of the Shift-JIS byte count.
  const std::int64_t boxRight = std::int64_t{ShiftJisLength(text)} * HalfCellWidth(size, style) + 1;
  const std::int64_t boxBottom = std::int64_t{size} + 2;
  std::unique_ptr<TextStamp> stamp;
  if (boxRight <= kMaxStampArea &&
      MakeStamp(cache.work, surfaceWidth, static_cast<std::int32_t>(boxRight), static_cast<std::int32_t>(boxBottom)))
    stamp = std::make_unique<TextStamp>(cache.work.stamp);
  if (cache.stamps.size() >= kMaxStamps) cache.stamps.clear();
  return cache.stamps.emplace(key, std::move(stamp)).first->second.get();
}

}  // namespace

const TextStamp* TBrixBitmap::DrawGlyphs(std::int32_t x, std::int32_t y, std::string_view text, ColorTriple color) {
  if (text.empty()) return nullptr;
  // Locals only in the loops: a byte store may alias anything reached through a reference.
  ColorTriple* const out = pixels_.data();
  const std::int64_t w = width_, h = height_;
  const ColorTriple ink = color;
  // The brush is always clear here, so only glyph pixels change.
  const PixelRect clip = Clip();
  if (clip.Empty()) return nullptr;
  const TextStamp* stamp = StampFor(fontName_, fontSize_, fontStyle_, text, width_);
  if (stamp != nullptr && x + stamp->left >= 0 && y + stamp->top >= 0 && x + stamp->right <= w &&
      y + stamp->bottom <= h) {
    if (x + stamp->right <= clip.left || x + stamp->left >= clip.right || y + stamp->bottom <= clip.top ||
        y + stamp->top >= clip.bottom)
      return stamp;  // nothing of it inside the clip
    ColorTriple* const origin = out + (std::int64_t{y} * w + x);
    const InkPainter painter(ink);
    if (x + stamp->left >= clip.left && y + stamp->top >= clip.top && x + stamp->right <= clip.right &&
        y + stamp->bottom <= clip.bottom) {
      for (const InkRun& run : stamp->ink) painter.Paint(origin + run.offset, run.length);
      return stamp;
    }
    for (const InkRun& run : stamp->ink) {
      const std::int64_t r = std::int64_t{y} + run.row;
      if (r < clip.top || r >= clip.bottom) continue;
      const std::int64_t from = std::max<std::int64_t>(std::int64_t{x} + run.col, clip.left);
      const std::int64_t to = std::min<std::int64_t>(std::int64_t{x} + run.col + run.length, clip.right);
      if (from < to) painter.Paint(out + (r * w + from), static_cast<std::int32_t>(to - from));
    }
    return stamp;
  }
  TextLayout layout;
  LayOutText(fontName_, fontSize_, fontStyle_, text, layout);
  for (const PlacedGlyph& placed : layout.glyphs) {
    const std::int64_t ox = std::int64_t{x} + placed.cellX;
    const std::int64_t oy = y;
    for (const GlyphPixel& g : placed.image->pixels) {
      const std::int64_t r = oy + g.row;
      const std::int64_t c = ox + g.col;
      if (r >= clip.top && r < clip.bottom && c >= clip.left && c < clip.right) out[r * w + c] = ink;
    }
  }
  return nullptr;
}

namespace {

// A stamp's rim blended toward the ink; cut by the clip, a rim pixel outside it keeps what
// it has, so it is never blended twice.
void BlendStampRim(ColorTriple* origin, const TextStamp& stamp, std::int32_t x, std::int32_t y, const PixelRect& clip,
                   const Blends& blends) {
  const std::int32_t* const offsets = stamp.rim.data();
  const std::uint8_t* const neighbours = stamp.rimNeighbours.data();
  const std::size_t count = stamp.rim.size();
  if (x + stamp.left >= clip.left && y + stamp.top >= clip.top && x + stamp.right <= clip.right &&
      y + stamp.bottom <= clip.bottom) {
    for (std::size_t i = 0; i < count; ++i) Blend(origin[offsets[i]], blends, neighbours[i]);
    return;
  }
  const RimPlace* const places = stamp.rimPlaces.data();
  for (std::size_t i = 0; i < count; ++i) {
    const std::int64_t r = std::int64_t{y} + places[i].row;
    const std::int64_t c = std::int64_t{x} + places[i].col;
    if (r >= clip.top && r < clip.bottom && c >= clip.left && c < clip.right)
      Blend(origin[offsets[i]], blends, neighbours[i]);
  }
}

// Every pixel of `area` that the white-on-black mask leaves unlit moves a quarter of the way
// to the ink for each lit neighbour (above, below, left, right).
void BlendFromMask(ColorTriple* pixels, const ColorTriple* maskPixels, std::int32_t width, std::int32_t height,
                   const PixelRect& area, const Blends& blends) {
  for (std::int32_t r = area.top; r < area.bottom; ++r) {
    const std::size_t rowStart = static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
    ColorTriple* out = pixels + rowStart;
    const ColorTriple* mask = maskPixels + rowStart;
    const ColorTriple* above = r > 0 ? mask - width : nullptr;
    const ColorTriple* below = r + 1 < height ? mask + width : nullptr;
    for (std::int32_t c = area.left; c < area.right; ++c) {
      if (IsWhite(mask[c])) continue;  // a glyph pixel keeps its colour
      const std::size_t count = (above != nullptr && !IsBlack(above[c])) + (below != nullptr && !IsBlack(below[c])) +
                                (c > 0 && !IsBlack(mask[c - 1])) + (c + 1 < width && !IsBlack(mask[c + 1]));
      Blend(out[c], blends, count);
    }
  }
}

}  // namespace

void TBrixBitmap::DrawText(std::int32_t x, std::int32_t y, std::string_view text) {
  if (clipped_ && Clip().Empty()) return;  // nothing can show; not even the text is looked at
  inkKnown_ = false;
  ++writes_;
  // The stamp, when the whole text lay on the surface: its rim then gives the soft edge.
  const TextStamp* const stamp = DrawGlyphs(x, y, text, textColor_);
  if (softText_) DrawSoftRim(x, y, text, stamp);
}

void TBrixBitmap::DrawSoftRim(std::int32_t x, std::int32_t y, std::string_view text, const TextStamp* stamp) {
  // The pass reads the work surface at this surface's coordinates, so both must agree.
  if (!workSurface_ || workSurface_->width_ != width_ || workSurface_->height_ != height_)
    throw VexaError("soft text: the surface changed size after soft text was switched on");

  // The box the text is assumed to fill: fixed cells of the Shift-JIS byte count.
  const std::int32_t cell = HalfCellWidth(fontSize_, fontStyle_);
  const std::int32_t boxRight = chk::Add(chk::Add(x, chk::Mul(ShiftJisLength(text), cell)), 1);
  const std::int32_t boxBottom = chk::Add(chk::Add(y, fontSize_), 2);
  const Blends& blends = BlendsToward(textColor_);
  const PixelRect clip = Clip();
  if (clip.Empty() || boxRight <= clip.left || chk::Sub(x, 1) >= clip.right || boxBottom <= clip.top ||
      chk::Sub(y, 1) >= clip.bottom)
    return;  // the rim lies in the box, and none of the box is inside the clip

  if (stamp != nullptr) {
    BlendStampRim(pixels_.data() + (std::int64_t{y} * width_ + x), *stamp, x, y, clip, blends);
    return;
  }

  // Otherwise, step by step on the work surface: white glyphs on a black rectangle one pixel
  // wider on every side than the neighbours read below, so nothing left from an earlier text
  // is ever seen.
  TBrixBitmap& work = *workSurface_;
  const std::int64_t width = width_;
  {
    const std::int64_t l = std::max<std::int64_t>(chk::Sub(x, 2), 0);
    const std::int64_t r = std::min<std::int64_t>(chk::Add(boxRight, 1), width_);
    const std::int64_t b = std::min<std::int64_t>(chk::Add(boxBottom, 1), height_);
    for (std::int64_t row = std::max<std::int64_t>(chk::Sub(y, 2), 0); l < r && row < b; ++row)
      std::memset(reinterpret_cast<unsigned char*>(work.pixels_.data() + row * width + l), 0,
                  static_cast<std::size_t>(r - l) * sizeof(ColorTriple));
  }
  work.SetFontName(fontName_);
  work.SetFontSize(fontSize_);
  work.SetFontStyle(fontStyle_);
  work.SetTextColor(ColorWhite);
  work.SetClearBrush();
  work.DrawText(x, y, text);

  const PixelRect area{std::max(chk::Sub(x, 1), clip.left), std::max(chk::Sub(y, 1), clip.top),
                       std::min(boxRight, clip.right), std::min(boxBottom, clip.bottom)};
  BlendFromMask(pixels_.data(), work.pixels_.data(), width_, height_, area, blends);
}

}  // namespace vexa

namespace vexa {

PixelRect TBrixBitmap::TextBounds(const std::string& face, std::int32_t size, std::int32_t x, std::int32_t y,
                                  std::string_view text) const {
  if (text.empty()) return PixelRect{};
  std::int64_t top = 0, left = 0, bottom = 0, right = 0;
  if (const TextStamp* stamp = StampFor(face, size, fontStyle_, text, width_)) {
    top = stamp->top;
    left = stamp->left;
    bottom = stamp->bottom;
    right = stamp->right;
  } else {
    TextLayout layout;
    LayOutText(face, size, fontStyle_, text, layout);
    const bool any = GlyphBounds(layout, top, left, bottom, right);
    if (!any) return PixelRect{};
    // The soft rim lies next to the glyph pixels.
    --top;
    --left;
    ++bottom;
    ++right;
  }
  auto cut = [](std::int64_t v, std::int32_t limit) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, limit));
  };
  const PixelRect r{cut(x + left, width_), cut(y + top, height_), cut(x + right, width_), cut(y + bottom, height_)};
  return r.Empty() ? PixelRect{} : r;
}

}  // namespace vexa
