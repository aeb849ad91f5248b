#include "platform/TexelConvert.h"

#include <SDL_pixels.h>


namespace vexa {

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

void WidenFrame(const ColorTriple* source, std::int32_t width, std::int32_t height, const TexelLayout& layout,
                void* target, std::int32_t pitch) {
  auto* row = static_cast<unsigned char*>(target);
  for (std::int32_t y = 0; y < height; ++y, row += pitch) {
    const ColorTriple* in = source + std::size_t(y) * std::size_t(width);
    auto* out = reinterpret_cast<std::uint32_t*>(row);
    for (std::int32_t x = 0; x < width; ++x)
      out[x] = layout.fill | std::uint32_t{in[x].red} << layout.redShift |
               std::uint32_t{in[x].green} << layout.greenShift | std::uint32_t{in[x].blue} << layout.blueShift;
  }
}

}  // namespace vexa
