#pragma once
// The CRC-32 of a buffer that changes a little at a time, from the sums of its blocks: only the
// blocks that differ from the last call are summed again, and the block sums are joined as
// zlib's crc32_combine joins them, so the result is the whole buffer's sum, bit for bit.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexa {

struct BlockSums {
  static constexpr std::size_t kBlock = 128;  // small enough to follow a sprite's edge, big enough to join cheaply
  std::size_t size = 0;                      // 0 until the first call
  // Multiplying a sum by x^(8 * kBlock) moves it past one block; linear, so one table per byte.
  std::array<std::array<std::uint32_t, 256>, 4> shift{};
  std::uint32_t tailShift = 0;     // x^(8 * the last, shorter block's length)
  std::vector<std::uint8_t> last;  // the buffer as last summed
  std::vector<std::uint32_t> sums;  // each block's own CRC-32
};

// The same value as Crc32(0, data, size); `sums` remembers the blocks for the next call.
std::uint32_t SumByBlocks(BlockSums& sums, const std::uint8_t* data, std::size_t size);

}  // namespace vexa
