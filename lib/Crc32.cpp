#include "lib/Crc32.h"

#include <array>
#include <cstring>

namespace vexa {

namespace {

// Sixteen tables, so sixteen bytes go through per round: a trace sums a whole frame every step,
// and under node this sum was most of a traced replay's time.
using Tables = std::array<std::array<std::uint32_t, 256>, 16>;

constexpr Tables MakeTables() {
  Tables t{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][n] = c;
  }
  for (std::size_t n = 0; n < 256; ++n)
    for (std::size_t k = 1; k < 16; ++k) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
  return t;
}

constexpr Tables kTables = MakeTables();

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::uint32_t c = ~crc;
  for (; size >= 16; size -= 16, p += 16) {
    // Bytes assembled by hand: the result must not depend on the machine's byte order.
    const std::uint32_t a = c ^ Le32(p);
    const std::uint32_t b = Le32(p + 4);
    const std::uint32_t d = Le32(p + 8);
    const std::uint32_t e = Le32(p + 12);
    c = kTables[15][a & 0xFF] ^ kTables[14][(a >> 8) & 0xFF] ^ kTables[13][(a >> 16) & 0xFF] ^ kTables[12][a >> 24] ^
        kTables[11][b & 0xFF] ^ kTables[10][(b >> 8) & 0xFF] ^ kTables[9][(b >> 16) & 0xFF] ^ kTables[8][b >> 24] ^
        kTables[7][d & 0xFF] ^ kTables[6][(d >> 8) & 0xFF] ^ kTables[5][(d >> 16) & 0xFF] ^ kTables[4][d >> 24] ^
        kTables[3][e & 0xFF] ^ kTables[2][(e >> 8) & 0xFF] ^ kTables[1][(e >> 16) & 0xFF] ^ kTables[0][e >> 24];
  }
  for (; size > 0; --size, ++p) c = kTables[0][(c ^ *p) & 0xFF] ^ (c >> 8);
  return ~c;
}

}  // namespace vexa
