#include "platform/sdl/TexelConvert.h"

#include <SDL_pixels.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace vexa {

namespace {

bool IsXrgb(const TexelLayout& layout) {
  return layout.redShift == 16 && layout.greenShift == 8 && layout.blueShift == 0;
}

// One row of `count` pixels. The common window format is the backbuffer's own byte order
// plus a fourth byte, so there four pixels are three word loads and a few shifts.
void WidenRow(const ColorTriple* in, std::int32_t count, const TexelLayout& layout, std::uint32_t* out) {
  std::int32_t x = 0;
  if constexpr (std::endian::native == std::endian::little) {
    if (IsXrgb(layout)) {
      const auto* bytes = reinterpret_cast<const unsigned char*>(in);
      const std::uint32_t fill = layout.fill;
      for (; x + 4 <= count; x += 4, bytes += 12) {
        std::uint32_t w[3];
        std::memcpy(w, bytes, sizeof w);
        out[x] = fill | (w[0] & 0xFFFFFFu);
        out[x + 1] = fill | (w[0] >> 24) | ((w[1] & 0xFFFFu) << 8);
        out[x + 2] = fill | (w[1] >> 16) | ((w[2] & 0xFFu) << 16);
        out[x + 3] = fill | (w[2] >> 8);
      }
    }
  }
  for (; x < count; ++x) out[x] = Texel(in[x], layout);
}

std::uint32_t* TexelRow(const TexelTarget& target, std::int32_t y) {
  return reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(target.pixels) +
                                          std::ptrdiff_t{y} * target.pitch);
}

}  // namespace

bool TexelLayoutFor(std::uint32_t sdlFormat, TexelLayout& layout) {
  // {red, green, blue} shifts; the remaining byte is filled with ones (alpha opaque).
  switch (sdlFormat) {
    case SDL_PIXELFORMAT_ARGB8888:
    case SDL_PIXELFORMAT_RGB888:
      layout = {16, 8, 0, 0xFF000000u};
      return true;
    case SDL_PIXELFORMAT_ABGR8888:
    case SDL_PIXELFORMAT_BGR888:
      layout = {0, 8, 16, 0xFF000000u};
      return true;
    case SDL_PIXELFORMAT_RGBA8888:
    case SDL_PIXELFORMAT_RGBX8888:
      layout = {24, 16, 8, 0x000000FFu};
      return true;
    case SDL_PIXELFORMAT_BGRA8888:
    case SDL_PIXELFORMAT_BGRX8888:
      layout = {8, 16, 24, 0x000000FFu};
      return true;
    default:
      return false;
  }
}

std::uint32_t Texel(ColorTriple color, const TexelLayout& layout) {
  return layout.fill | std::uint32_t{color.red} << layout.redShift | std::uint32_t{color.green} << layout.greenShift |
         std::uint32_t{color.blue} << layout.blueShift;
}

void WidenFrame(const ColorTriple* source, std::int32_t width, std::int32_t height, const TexelLayout& layout,
                void* target, std::int32_t pitch) {
  auto* row = static_cast<unsigned char*>(target);
  for (std::int32_t y = 0; y < height; ++y, row += pitch)
    WidenRow(source + std::size_t(y) * std::size_t(width), width, layout, reinterpret_cast<std::uint32_t*>(row));
}

PixelRect TargetRect(const PixelRect& part, const ViewMap& view, const TexelTarget& target) {
  // 64-bit: a far-off offset times the scale must not wrap into the target.
  auto to = [&](std::int32_t game, std::int32_t offset, std::int32_t limit) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{offset} + std::int64_t{game} * view.scale, 0, limit));
  };
  return PixelRect{to(part.left, view.offsetX, target.width), to(part.top, view.offsetY, target.height),
                   to(part.right, view.offsetX, target.width), to(part.bottom, view.offsetY, target.height)};
}

PixelRect WidenScaled(const ColorTriple* frame, std::int32_t frameWidth, const PixelRect& part,
                      const TexelLayout& layout, const ViewMap& view, const TexelTarget& target) {
  const PixelRect out = TargetRect(part, view, target);
  if (out.Empty() || view.scale < 1) return PixelRect{};
  const std::int32_t s = view.scale;
  // Target pixels of `out` lie within `part`, so these game positions are inside the frame.
  const std::int32_t firstColumn = (out.left - view.offsetX) / s;
  const std::int32_t firstPhase = (out.left - view.offsetX) % s;
  const std::int32_t width = out.right - out.left;
  for (std::int32_t y = out.top; y < out.bottom;) {
    const std::int32_t gameRow = (y - view.offsetY) / s;
    const std::int32_t rows = std::min(s - (y - view.offsetY) % s, out.bottom - y);
    const ColorTriple* in = frame + std::size_t(gameRow) * std::size_t(frameWidth) + firstColumn;
    std::uint32_t* first = TexelRow(target, y) + out.left;
    if (s == 1) {
      WidenRow(in, width, layout, first);
    } else {
      std::int32_t phase = firstPhase;
      std::uint32_t texel = Texel(*in, layout);
      for (std::int32_t x = 0; x < width; ++x) {
        first[x] = texel;
        if (++phase == s && x + 1 < width) {
          phase = 0;
          texel = Texel(*++in, layout);
        }
      }
    }
    // The other window rows of this game row are copies of the first.
    for (std::int32_t r = 1; r < rows; ++r)
      std::memcpy(TexelRow(target, y + r) + out.left, first, std::size_t(width) * sizeof(std::uint32_t));
    y += rows;
  }
  return out;
}

void FillTexels(const TexelTarget& target, const PixelRect& rect, std::uint32_t texel) {
  const std::int32_t left = std::max(rect.left, 0), right = std::min(rect.right, target.width);
  const std::int32_t top = std::max(rect.top, 0), bottom = std::min(rect.bottom, target.height);
  if (right <= left) return;
  for (std::int32_t y = top; y < bottom; ++y) std::fill_n(TexelRow(target, y) + left, right - left, texel);
}

void FillAround(const TexelTarget& target, const PixelRect& inside, std::uint32_t texel) {
  const PixelRect in = inside.Empty() ? PixelRect{} : inside;
  FillTexels(target, PixelRect{0, 0, target.width, in.top}, texel);
  FillTexels(target, PixelRect{0, in.bottom, target.width, target.height}, texel);
  FillTexels(target, PixelRect{0, in.top, in.left, in.bottom}, texel);
  FillTexels(target, PixelRect{in.right, in.top, target.width, in.bottom}, texel);
}

}  // namespace vexa
