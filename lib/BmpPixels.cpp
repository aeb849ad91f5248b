#include "lib/BmpPixels.h"

#include <algorithm>

#include "lib/BmpFormat.h"
#include "lib/PictureError.h"

namespace vexa {

namespace {

constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;

// Run-length pictures as one palette index a pixel, bottom row first; what the codes skip
// stays index 0. PlanBmp has already walked every code, so none leaves the picture.
std::vector<std::uint8_t> ExpandRunLengths(std::span<const std::uint8_t> data, const BmpPlan& plan) {
  const bool four = plan.compression == kRle4;
  const auto width = static_cast<std::size_t>(plan.width);
  std::vector<std::uint8_t> indices(width * static_cast<std::size_t>(plan.height), 0);
  std::size_t x = 0, y = 0, i = 0;
  auto put = [&](std::uint8_t value) { indices[y * width + x++] = value; };
  while (i + 2 <= data.size()) {
    const std::uint8_t count = data[i];
    const std::uint8_t value = data[i + 1];
    i += 2;
    if (count != 0) {
      for (std::uint8_t k = 0; k < count; ++k) put(four ? (k % 2 ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      x += data[i];
      y += data[i + 1];
      i += 2;
    } else {
      const std::size_t bytes = four ? (value + 1u) / 2 : value;
      for (std::uint8_t k = 0; k < value; ++k) put(four ? (k % 2 ? data[i + k / 2] & 15 : data[i + k / 2] >> 4) : data[i + k]);
      i += bytes + (bytes & 1);
    }
  }
  return indices;
}

// One stored row of a plain picture as ConvertBmpRow takes it: an index a byte for 8 bits
// and fewer (the high bits are the leftmost pixel), the stored bytes otherwise.
const std::uint8_t* UnpackRow(const BmpPlan& plan, const std::uint8_t* row, std::vector<std::uint8_t>& scratch) {
  if (plan.bitCount >= 8) return row;
  const int bits = plan.bitCount;
  const int perByte = 8 / bits;
  const std::uint8_t mask = static_cast<std::uint8_t>((1u << bits) - 1);
  for (std::size_t x = 0; x < scratch.size(); ++x) {
    const int shift = 8 - bits * (static_cast<int>(x % static_cast<std::size_t>(perByte)) + 1);
    scratch[x] = static_cast<std::uint8_t>((row[x / static_cast<std::size_t>(perByte)] >> shift) & mask);
  }
  return scratch.data();
}

}  // namespace

Picture24 DecodeBmp(std::span<const std::uint8_t> file, const std::string& name) {
  const BmpPlan plan = PlanBmp(file, name);
  const std::span<const std::uint8_t> data = file.subspan(plan.dataOffset, plan.dataSize);
  const auto width = static_cast<std::size_t>(plan.width);
  const auto height = static_cast<std::size_t>(plan.height);
  Picture24 picture;
  picture.width = plan.width;
  picture.height = plan.height;
  picture.pixels.resize(width * height);

  bool ok = true;
  if (plan.compression == kRle8 || plan.compression == kRle4) {
    const std::vector<std::uint8_t> indices = ExpandRunLengths(data, plan);
    for (std::size_t r = 0; ok && r < height; ++r)
      ok = ConvertBmpRow(plan, indices.data() + (height - 1 - r) * width, picture.pixels.data() + r * width);
  } else {
    const std::size_t stride = (width * static_cast<std::size_t>(plan.bitCount) + 31) / 32 * 4;
    if (stride * height > data.size())
      throw PictureError(name + ": the pixel data is shorter than the picture");
    std::vector<std::uint8_t> scratch(width);
    for (std::size_t r = 0; ok && r < height; ++r) {
      const std::size_t stored = plan.topDown ? r : height - 1 - r;
      ok = ConvertBmpRow(plan, UnpackRow(plan, data.data() + stored * stride, scratch), picture.pixels.data() + r * width);
    }
  }
  if (!ok) throw PictureError(name + ": a pixel names a colour outside the palette");
  return picture;
}

}  // namespace vexa
