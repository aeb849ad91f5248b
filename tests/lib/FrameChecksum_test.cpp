#include "lib/FrameChecksum.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace vexa {
namespace {

TEST(FrameCrc, IsTheCrc32OfBlueGreenRedRowsTopFirst) {
  TBrixBitmap frame;
  frame.SetSize(2, 1);
  frame.rows[0][0] = Rgb(1, 2, 3);
  frame.rows[0][1] = Rgb(4, 5, 6);
  // crc32 of the bytes 03 02 01 06 05 04
  EXPECT_EQ(FrameCrc(frame), 0x8BBDABE6u);
  frame.rows[0][1] = Rgb(4, 5, 7);
  EXPECT_NE(FrameCrc(frame), 0x8BBDABE6u);
}

// The fast path handles whole blocks and the tail apart: odd sizes and a full frame
// must still give zlib's CRC-32 of the same bytes.
TEST(FrameCrc, AgreesWithZlibAtEverySizeOfInterest) {
  const struct { std::int32_t width, height; } sizes[] = {{1, 1}, {5, 1}, {7, 3}, {21, 2}, {600, 450}};
  for (const auto& size : sizes) {
    TBrixBitmap frame;
    frame.SetSize(size.width, size.height);
    std::uint32_t x = 12345;
    for (std::int32_t r = 0; r < size.height; ++r)
      for (std::int32_t c = 0; c < size.width; ++c) {
        x = x * 1103515245u + 12345u;
        frame.rows[r][c] = Rgb(x >> 24, x >> 16, x >> 8);
      }
    const auto& pixels = frame.Pixels();
    const auto expected = crc32_z(0, reinterpret_cast<const Bytef*>(pixels.data()), pixels.size() * 3);
    EXPECT_EQ(FrameCrc(frame), expected) << size.width << " x " << size.height;
  }
}

TEST(FrameCrc, DependsOnRowOrder) {
  TBrixBitmap a, b;
  a.SetSize(1, 2);
  b.SetSize(1, 2);
  a.rows[0][0] = Rgb(9, 9, 9);
  b.rows[1][0] = Rgb(9, 9, 9);
  EXPECT_NE(FrameCrc(a), FrameCrc(b));
}

}  // namespace
}  // namespace vexa
