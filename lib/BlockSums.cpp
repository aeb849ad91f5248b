#include "lib/BlockSums.h"

#include <algorithm>
#include <cstring>

#include "lib/Crc32.h"

namespace vexa {

namespace {

constexpr std::uint32_t kPoly = 0xEDB88320u;

// a * b modulo the polynomial, bits reflected as the sums are (zlib's multmodp).
std::uint32_t MultModP(std::uint32_t a, std::uint32_t b) {
  std::uint32_t p = 0;
  for (std::uint32_t m = 1u << 31; m != 0; m >>= 1) {
    if ((a & m) != 0) p ^= b;
    b = (b & 1) != 0 ? (b >> 1) ^ kPoly : b >> 1;
  }
  return p;
}

// Feeding n zero bytes to the bare register multiplies it by x^(8n), so starting from 1
// (the top bit, reflected) leaves x^(8n). Crc32 conditions its register, hence the inversions.
std::uint32_t PowerFor(std::size_t bytes) {
  const std::vector<std::uint8_t> zeros(bytes, 0);
  return ~Crc32(~(1u << 31), zeros.data(), zeros.size());
}

std::uint32_t Shift(const BlockSums& s, std::uint32_t c) {
  return s.shift[0][c & 0xFF] ^ s.shift[1][(c >> 8) & 0xFF] ^ s.shift[2][(c >> 16) & 0xFF] ^ s.shift[3][c >> 24];
}

// Whole words, with one branch a block: a byte loop or a branch a word here would cost as
// much as the sums it spares.
bool SameBlock(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  if (n == BlockSums::kBlock) {
    std::uint64_t diff = 0;
    for (std::size_t i = 0; i < BlockSums::kBlock; i += 8) {
      std::uint64_t x;
      std::uint64_t y;
      std::memcpy(&x, a + i, 8);
      std::memcpy(&y, b + i, 8);
      diff |= x ^ y;
    }
    return diff == 0;
  }
  return std::memcmp(a, b, n) == 0;
}

void Restart(BlockSums& s, const std::uint8_t* data, std::size_t size) {
  s.size = size;
  const std::uint32_t power = PowerFor(BlockSums::kBlock);
  for (std::uint32_t k = 0; k < 4; ++k)
    for (std::uint32_t b = 0; b < 256; ++b) s.shift[k][b] = MultModP(b << (8 * k), power);
  s.tailShift = PowerFor(size % BlockSums::kBlock);
  s.last.assign(data, data + size);
  s.sums.resize((size + BlockSums::kBlock - 1) / BlockSums::kBlock);
  for (std::size_t i = 0; i < s.sums.size(); ++i) {
    const std::size_t at = i * BlockSums::kBlock;
    s.sums[i] = Crc32(0, data + at, std::min(BlockSums::kBlock, size - at));
  }
}

}  // namespace

std::uint32_t SumByBlocks(BlockSums& sums, const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (sums.size != size) {
    Restart(sums, data, size);
  } else {
    for (std::size_t i = 0; i < sums.sums.size(); ++i) {
      const std::size_t at = i * BlockSums::kBlock;
      const std::size_t n = std::min(BlockSums::kBlock, size - at);
      if (SameBlock(data + at, sums.last.data() + at, n)) continue;
      sums.sums[i] = Crc32(0, data + at, n);
      std::memcpy(sums.last.data() + at, data + at, n);
    }
  }
  const std::size_t full = size / BlockSums::kBlock;
  std::uint32_t whole = 0;  // the sum of nothing; shifting it is still nothing
  for (std::size_t i = 0; i < full; ++i) whole = Shift(sums, whole) ^ sums.sums[i];
  if (full < sums.sums.size()) whole = MultModP(whole, sums.tailShift) ^ sums.sums[full];
  return whole;
}

}  // namespace vexa
