#include "lib/BrixBmp.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "lib/Checked.h"
#include "lib/InkPainter.h"

namespace vexa {

ColorTriple Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return ColorTriple{blue, green, red};
}

std::uint32_t ToToolkitColor(ColorTriple c) {
  return c.red + 256u * c.green + 65536u * c.blue;
}

PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
  const PixelRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
  return r.Empty() ? PixelRect{} : r;
}

PixelRect Bounds(const PixelRect& a, const PixelRect& b) {
  if (a.Empty()) return b.Empty() ? PixelRect{} : b;
  if (b.Empty()) return a;
  return PixelRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                   std::max(a.bottom, b.bottom)};
}

ColorTriple* TPixelTable::operator[](std::int32_t row) const {
  return table_[CheckIndex("rows", row, Length())];
}

void TPixelTable::Assign(ColorTriple* first, std::int32_t width, std::int32_t height) {
  table_.resize(static_cast<std::size_t>(height));
  for (std::int32_t r = 0; r < height; ++r) table_[static_cast<std::size_t>(r)] = first + static_cast<std::ptrdiff_t>(r) * width;
}

TBrixBitmap::TBrixBitmap() {
  SetFontName("ＭＳ ゴシック");
  SetFontSize(20);
  SetFontStyle(fsBold);
  SetTextColor(ColorBlack);
  SetClearBrush();
}

TBrixBitmap::~TBrixBitmap() = default;

void TBrixBitmap::Resize(std::int32_t width, std::int32_t height) {
  // Nothing the game draws comes near this; it keeps a wild size from a huge allocation.
  if (width < 0 || height < 0 || width > 16384 || height > 16384 ||
      std::int64_t{width} * height > 64 * 1024 * 1024)
    throw VexaError("surface size " + std::to_string(width) + " x " + std::to_string(height) + " out of range");
  width_ = width;
  height_ = height;
  // Emptied and grown: the new pixels are value-initialised in one memset (in wasm one memory.fill),
  // where assign() stores each pixel, which the browser's first, unoptimised code for it runs at
  // a start-up's cost (tens of milliseconds for the game's surfaces).
  pixels_.clear();
  pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
}

void TBrixBitmap::SetSize(std::int32_t width, std::int32_t height) {
  Resize(width, height);
  RebuildRows();
  Fill(ColorWhite);
}

void TBrixBitmap::Fill(ColorTriple color) {
  inkKnown_ = false;
  ++writes_;
  if (pixels_.empty()) return;
  const bool grey = color.blue == color.green && color.green == color.red;  // every frame starts white
  if (!clipped_) {
    if (grey)
      std::memset(static_cast<void*>(pixels_.data()), color.blue, pixels_.size() * sizeof(ColorTriple));
    else
      std::fill(pixels_.begin(), pixels_.end(), color);
    return;
  }
  const PixelRect c = Clip();
  for (std::int32_t r = c.top; r < c.bottom; ++r) {
    ColorTriple* first = pixels_.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width_) + c.left;
    if (grey)
      std::memset(static_cast<void*>(first), color.blue, static_cast<std::size_t>(c.right - c.left) * sizeof(ColorTriple));
    else
      std::fill(first, first + (c.right - c.left), color);
  }
}

void TBrixBitmap::SetClip(const PixelRect& clip) {
  clip_ = clip;
  clipped_ = true;
}

PixelRect TBrixBitmap::Clip() const {
  const PixelRect whole{0, 0, width_, height_};
  return clipped_ ? Intersection(clip_, whole) : whole;
}

void TBrixBitmap::RebuildRows() {
  inkKnown_ = false;  // every way to new pixels ends here
  ++writes_;
  rows.Assign(pixels_.data(), width_, height_);
}

PixelRect TBrixBitmap::DrawnBounds() const {
  if (maskSurface_ && inkKnown_) return ink_;
  return PixelRect{0, 0, width_, height_};
}

void TBrixBitmap::SetFontName(const std::string& name) { fontName_ = name; }
void TBrixBitmap::SetFontSize(std::int32_t size) { fontSize_ = size; }
void TBrixBitmap::SetFontStyle(std::uint8_t style) { fontStyle_ = style; }
void TBrixBitmap::SetTextColor(ColorTriple color) { textColor_ = color; }
void TBrixBitmap::SetClearBrush() { clearBrush_ = true; }

void TBrixBitmap::SetSoftText(bool on) {
  softText_ = on;
  if (!on) return;
  if (!workSurface_) workSurface_ = std::make_unique<TBrixBitmap>();
  workSurface_->SetSize(width_, height_);
}

void TBrixBitmap::MakeKeyMask(ColorTriple key) {
  if (!maskSurface_) maskSurface_ = std::make_unique<TBrixBitmap>();
  TBrixBitmap& mask = *maskSurface_;
  mask.Resize(width_, height_);
  for (std::size_t i = 0; i < pixels_.size(); ++i)
    mask.pixels_[i] = SameColor(pixels_[i], key) ? ColorWhite : ColorBlack;
  mask.RebuildRows();
  // Destination AND NOT mask: key-coloured pixels become black so OR can paint them in.
  for (std::size_t i = 0; i < pixels_.size(); ++i) {
    pixels_[i].blue &= static_cast<std::uint8_t>(~mask.pixels_[i].blue);
    pixels_[i].green &= static_cast<std::uint8_t>(~mask.pixels_[i].green);
    pixels_[i].red &= static_cast<std::uint8_t>(~mask.pixels_[i].red);
  }
  // A key pixel now leaves the target as it was: (target AND white) OR black. Body parts
  // are drawn in pictures wider than they are, and drawing skips their empty margins.
  ink_ = PixelRect{};
  oneColour_ = true;
  spans_.clear();
  for (std::int32_t r = 0; r < height_; ++r)
    for (std::int32_t c = 0; c < width_; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * static_cast<std::size_t>(width_) + c;
      if (SameColor(mask.pixels_[i], ColorWhite)) continue;
      ink_ = Bounds(ink_, PixelRect{c, r, c + 1, r + 1});
      if (spans_.empty()) inkColour_ = pixels_[i];
      oneColour_ = oneColour_ && SameColor(pixels_[i], inkColour_);
      if (!spans_.empty() && spans_.back().row == r && spans_.back().col + spans_.back().length == c)
        ++spans_.back().length;
      else
        spans_.push_back(InkSpan{r, c, 1});
    }
  if (!oneColour_) spans_.clear();
  inkKnown_ = true;
  ++writes_;
}

void TBrixBitmap::DrawOnto(TBrixBitmap& target, std::int32_t x, std::int32_t y) const {
  // Clip against the target; work in 64 bits so far-off positions cannot overflow.
  const PixelRect clip = target.Clip();
  const PixelRect drawn = DrawnBounds();
  const std::int64_t left = std::max<std::int64_t>(clip.left, std::int64_t{x} + drawn.left);
  const std::int64_t top = std::max<std::int64_t>(clip.top, std::int64_t{y} + drawn.top);
  const std::int64_t right = std::min<std::int64_t>(clip.right, std::int64_t{x} + drawn.right);
  const std::int64_t bottom = std::min<std::int64_t>(clip.bottom, std::int64_t{y} + drawn.bottom);
  if (left >= right || top >= bottom) return;
  target.inkKnown_ = false;
  ++target.writes_;
  if (maskSurface_ && inkKnown_ && oneColour_) {
    // (target AND mask) OR picture is the ink colour where the picture is not the key.
    const InkPainter painter(inkColour_);
    ColorTriple* const out = target.pixels_.data();
    const std::int64_t pitch = target.width_;
    for (const InkSpan& span : spans_) {
      const std::int64_t r = std::int64_t{y} + span.row;
      if (r < top || r >= bottom) continue;
      const std::int64_t from = std::max<std::int64_t>(std::int64_t{x} + span.col, left);
      const std::int64_t to = std::min<std::int64_t>(std::int64_t{x} + span.col + span.length, right);
      if (from < to) painter.Paint(out + (r * pitch + from), static_cast<std::int32_t>(to - from));
    }
    return;
  }
  if (maskSurface_ && (maskSurface_->width_ != width_ || maskSurface_->height_ != height_))
    throw VexaError("key mask no longer matches its picture");
  const std::size_t span = static_cast<std::size_t>(right - left);
  for (std::int64_t ty = top; ty < bottom; ++ty) {
    const std::size_t srcRow = static_cast<std::size_t>(ty - y) * static_cast<std::size_t>(width_);
    const std::size_t srcStart = srcRow + static_cast<std::size_t>(left - x);
    ColorTriple* dst = target.pixels_.data() + static_cast<std::size_t>(ty) * static_cast<std::size_t>(target.width_) +
                       static_cast<std::size_t>(left);
    const ColorTriple* src = pixels_.data() + srcStart;
    if (!maskSurface_) {
      std::copy(src, src + span, dst);
      continue;
    }
    // AND through the mask, then OR the picture in: byte-wise, so eight bytes at a time.
    auto* d = reinterpret_cast<std::uint8_t*>(dst);
    const auto* m = reinterpret_cast<const std::uint8_t*>(maskSurface_->pixels_.data() + srcStart);
    const auto* p = reinterpret_cast<const std::uint8_t*>(src);
    const std::size_t bytes = span * sizeof(ColorTriple);
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
      std::uint64_t dv, mv, pv;
      std::memcpy(&dv, d + i, 8);
      std::memcpy(&mv, m + i, 8);
      std::memcpy(&pv, p + i, 8);
      dv = (dv & mv) | pv;
      std::memcpy(d + i, &dv, 8);
    }
    for (; i < bytes; ++i) d[i] = static_cast<std::uint8_t>((d[i] & m[i]) | p[i]);
  }
}

void TBrixBitmap::PresentTo(PaintBox& box) const { box.Show(*this, FrameDamage{}); }

}  // namespace vexa
