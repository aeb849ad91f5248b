#pragma once
// Reading of BMP headers, before any pixel is read: every field is checked against the
// file's real length and against sane limits, and what the pixel reader needs is planned.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lib/BrixBmp.h"

namespace vexa {

// Largest picture the game loads: a side of 16384 and 64 M pixels in all.
inline constexpr std::int64_t kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 26;

struct BmpChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t maximum = 1;  // mask >> shift
};

struct BmpPlan {
  std::int32_t width = 0;
  std::int32_t height = 0;  // always positive; topDown says which row comes first
  bool topDown = false;
  int bitCount = 0;         // 1, 2, 4, 8, 16, 24 or 32
  std::uint32_t compression = 0;  // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields (32 bits)
  std::vector<ColorTriple> palette;  // pictures of 8 bits or fewer
  BmpChannel red, green, blue;       // 16 and 32 bits; alpha is dropped
  std::size_t dataOffset = 0;        // the pixel data inside the file
  std::size_t dataSize = 0;
};

// Raises PictureError whose text begins with `name` when the file is not a BMP the game
// can show: bad signature or header, sizes past the file or past the limits, unknown
// compression, impossible masks or palette, run-length codes that leave the picture.
BmpPlan PlanBmp(std::span<const std::uint8_t> file, const std::string& name);

// One decoded row to 24 bits. `src` holds width values of 1 byte (palette index, for 8
// bits and fewer), 2, 3 or 4 bytes, as BmpPixels lays them out.
// Returns false when a palette index lies outside the palette.
bool ConvertBmpRow(const BmpPlan& plan, const std::uint8_t* src, ColorTriple* dst);

}  // namespace vexa
