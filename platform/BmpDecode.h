#pragma once
// Bitmap files decoded by SDL's BMP reader, after the header has been checked and restated
// (lib/BmpFormat.h), and delivered as 24-bit pixels.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lib/BrixBmp.h"

namespace vexa {

struct Picture24 {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<ColorTriple> pixels;  // top row first, no padding
};

// Raises PictureError whose text begins with `name` when the bytes are not a BMP the
// game can show.
Picture24 DecodeBmp(std::span<const std::uint8_t> file, const std::string& name);

}  // namespace vexa
