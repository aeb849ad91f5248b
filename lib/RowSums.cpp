#include "lib/RowSums.h"

#include <cstring>

#include "lib/Crc32.h"

namespace vexa {

namespace {

constexpr std::uint32_t kPoly = 0xEDB88320u;

// a * b modulo the polynomial, bits reflected as the sums are (zlib's multmodp).
std::uint32_t MultModP(std::uint32_t a, std::uint32_t b) {
  std::uint32_t m = 1u << 31;
  std::uint32_t p = 0;
  for (; m != 0; m >>= 1) {
    if ((a & m) != 0) p ^= b;
    b = (b & 1) != 0 ? (b >> 1) ^ kPoly : b >> 1;
  }
  return p;
}

// Feeding n zero bytes to the bare register multiplies it by x^(8n), so starting from 1
// (the top bit, reflected) leaves x^(8n). Crc32 conditions its register, hence the inversions.
std::uint32_t ShiftFor(std::size_t rowBytes) {
  const std::vector<std::uint8_t> zeros(rowBytes, 0);
  return ~Crc32(~(1u << 31), zeros.data(), zeros.size());
}

// Whole words where the row allows: a byte loop here would cost as much as the sums it spares.
bool SameRow(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return false;
  }
  for (; i < n; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

}  // namespace

std::uint32_t SumByRows(RowSums& sums, const std::uint8_t* data, std::size_t rowBytes, std::size_t rows) {
  if (rowBytes == 0 || rows == 0) return 0;
  const bool fresh = sums.rowBytes != rowBytes || sums.sums.size() != rows;
  if (fresh) {
    sums.rowBytes = rowBytes;
    sums.shift = ShiftFor(rowBytes);
    sums.last.assign(data, data + rowBytes * rows);
    sums.sums.resize(rows);
  }
  std::uint32_t whole = 0;
  for (std::size_t r = 0; r < rows; ++r) {
    const std::uint8_t* row = data + r * rowBytes;
    std::uint8_t* kept = sums.last.data() + r * rowBytes;
    if (fresh || !SameRow(row, kept, rowBytes)) {
      sums.sums[r] = Crc32(0, row, rowBytes);
      if (!fresh) std::memcpy(kept, row, rowBytes);
    }
    whole = r == 0 ? sums.sums[0] : MultModP(whole, sums.shift) ^ sums.sums[r];
  }
  return whole;
}

}  // namespace vexa
