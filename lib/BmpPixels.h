#pragma once
// The pixels of a BMP file, read by the same code that checked its header and walked its
// run-length codes: no second reader with its own idea of the format, and nothing that
// needs a window system (the browser edition reads the pictures the same way).
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
