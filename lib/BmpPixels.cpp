#include "lib/BmpPixels.h"

#include <algorithm>

#include "lib/PictureError.h"

namespace vexa {

namespace {

std::size_t BytesPerValue(const BmpPlan& plan) { return plan.bitCount <= 8 ? 1 : plan.bitCount / 8; }

void DecodePlain(std::span<const std::uint8_t> data, const BmpPlan& plan, std::vector<std::uint8_t>& out) {
  const std::size_t width = static_cast<std::size_t>(plan.width);
  const std::size_t stride = (width * static_cast<std::size_t>(plan.bitCount) + 31) / 32 * 4;
  const std::size_t rowBytes = width * BytesPerValue(plan);
  for (std::size_t r = 0; r < static_cast<std::size_t>(plan.height); ++r) {
    const std::size_t stored = plan.topDown ? r : static_cast<std::size_t>(plan.height) - 1 - r;
    const std::uint8_t* src = data.data() + stored * stride;
    std::uint8_t* dst = out.data() + r * rowBytes;
    if (plan.bitCount >= 8) {
      std::copy(src, src + rowBytes, dst);
      continue;
    }
    const int bits = plan.bitCount;
    const int perByte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (std::size_t c = 0; c < width; ++c) {
      const int shift = 8 - bits * (1 + static_cast<int>(c % static_cast<std::size_t>(perByte)));
      dst[c] = static_cast<std::uint8_t>((src[c / static_cast<std::size_t>(perByte)] >> shift) & mask);
    }
  }
}

// The run-length codes were checked to stay inside the picture and to end properly.
void DecodeRunLengths(std::span<const std::uint8_t> data, const BmpPlan& plan, std::vector<std::uint8_t>& out) {
  const bool four = plan.bitCount == 4;
  const std::size_t width = static_cast<std::size_t>(plan.width);
  const std::size_t height = static_cast<std::size_t>(plan.height);
  std::size_t x = 0, y = 0, i = 0;
  // Rows are stored bottom first.
  auto put = [&](std::uint8_t v) { out[(height - 1 - y) * width + x++] = v; };
  for (;;) {
    const std::uint8_t count = data[i];
    const std::uint8_t value = data[i + 1];
    i += 2;
    if (count != 0) {
      for (std::uint8_t k = 0; k < count; ++k)
        put(four ? static_cast<std::uint8_t>(k % 2 == 0 ? value >> 4 : value & 0x0F) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      x += data[i];
      y += data[i + 1];
      i += 2;
    } else {
      const std::size_t bytes = four ? (value + 1u) / 2 : value;
      for (std::uint8_t k = 0; k < value; ++k)
        put(four ? static_cast<std::uint8_t>(k % 2 == 0 ? data[i + k / 2] >> 4 : data[i + k / 2] & 0x0F)
                 : data[i + k]);
      i += bytes + (bytes & 1);
    }
  }
}

}  // namespace

std::vector<std::uint8_t> DecodeBmpPixels(std::span<const std::uint8_t> file, const BmpPlan& plan) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(plan.width) * static_cast<std::size_t>(plan.height) *
                                BytesPerValue(plan));
  const std::span<const std::uint8_t> data = file.subspan(plan.dataOffset, plan.dataSize);
  if (plan.compression == 1 || plan.compression == 2)
    DecodeRunLengths(data, plan, out);
  else
    DecodePlain(data, plan, out);
  return out;
}

Picture24 DecodeBmpPortable(std::span<const std::uint8_t> file, const std::string& name) {
  const BmpPlan plan = PlanBmp(file, name);
  const std::vector<std::uint8_t> values = DecodeBmpPixels(file, plan);
  const std::size_t rowBytes = values.size() / static_cast<std::size_t>(plan.height);
  Picture24 picture;
  picture.width = plan.width;
  picture.height = plan.height;
  picture.pixels.resize(static_cast<std::size_t>(plan.width) * static_cast<std::size_t>(plan.height));
  for (std::int32_t r = 0; r < plan.height; ++r)
    if (!ConvertBmpRow(plan, values.data() + static_cast<std::size_t>(r) * rowBytes,
                       picture.pixels.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(plan.width)))
      throw PictureError(name + ": a pixel names a colour outside the palette");
  return picture;
}

}  // namespace vexa
