#pragma once
// The CRC-32 of a picture that changes a few rows at a time, from each row's own sum: only the
// rows that differ from the last picture are summed again, and the row sums are joined as
// zlib's crc32_combine joins them, so the result is the sum of the whole buffer, bit for bit.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexa {

struct RowSums {
  std::size_t rowBytes = 0;
  std::uint32_t shift = 0;              // x^(8 * rowBytes) modulo the polynomial: moves a sum past one row
  std::vector<std::uint8_t> last;       // the rows as last summed
  std::vector<std::uint32_t> sums;      // each row's own CRC-32
};

// The same value as Crc32(0, data, rowBytes * rows); `sums` remembers the rows for the next call.
std::uint32_t SumByRows(RowSums& sums, const std::uint8_t* data, std::size_t rowBytes, std::size_t rows);

}  // namespace vexa
