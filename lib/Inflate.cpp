#include "lib/Inflate.h"

#include <array>

#include "lib/Crc32.h"

namespace vexa {

namespace {

struct BitReader {
  std::span<const std::uint8_t> in;
  std::size_t next = 0;
  std::uint32_t held = 0;
  int count = 0;
  bool ranOut = false;
};

// The next `n` bits (n <= 16), first bit lowest; zeros once the input has run out.
unsigned TakeBits(BitReader& r, int n) {
  while (r.count < n) {
    if (r.next == r.in.size()) {
      r.ranOut = true;
      return 0;
    }
    r.held |= std::uint32_t(r.in[r.next++]) << r.count;
    r.count += 8;
  }
  const unsigned bits = r.held & ((1u << n) - 1);
  r.held >>= n;
  r.count -= n;
  return bits;
}

// A canonical Huffman code: how many codes of each length, and the symbols in code order.
struct HuffmanCode {
  std::array<std::uint16_t, 16> perLength{};
  std::array<std::uint16_t, 288> symbols{};
};

// False for lengths that promise more codes than there are (an over-full code).
bool MakeCode(HuffmanCode& code, const std::uint8_t* lengths, int n) {
  code.perLength.fill(0);
  for (int s = 0; s < n; ++s) ++code.perLength[lengths[s]];
  int room = 1;
  for (int len = 1; len < 16; ++len) {
    room = room * 2 - code.perLength[len];
    if (room < 0) return false;
  }
  std::array<std::uint16_t, 16> at{};
  for (int len = 1; len < 15; ++len) at[len + 1] = std::uint16_t(at[len] + code.perLength[len]);
  for (int s = 0; s < n; ++s)
    if (lengths[s] != 0) code.symbols[at[lengths[s]]++] = std::uint16_t(s);
  return true;
}

// The next symbol, read a bit at a time; -1 for a code the table does not have.
int ReadSymbol(BitReader& r, const HuffmanCode& code) {
  int bits = 0, first = 0, index = 0;
  for (int len = 1; len < 16; ++len) {
    bits |= int(TakeBits(r, 1));
    if (r.ranOut) return -1;
    const int count = code.perLength[len];
    if (bits - first < count) return code.symbols[index + bits - first];
    index += count;
    first = (first + count) << 1;
    bits <<= 1;
  }
  return -1;
}

constexpr std::array<std::uint16_t, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase{1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                                      33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                                      1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

bool ReadCodedBlock(BitReader& r, const HuffmanCode& literals, const HuffmanCode& distances,
                    std::vector<std::uint8_t>& out, std::size_t limit) {
  for (;;) {
    const int symbol = ReadSymbol(r, literals);
    if (symbol < 0) return false;
    if (symbol < 256) {
      if (out.size() == limit) return false;
      out.push_back(std::uint8_t(symbol));
      continue;
    }
    if (symbol == 256) return true;
    const int lengthCode = symbol - 257;
    if (lengthCode >= 29) return false;
    const std::size_t length = kLengthBase[lengthCode] + TakeBits(r, kLengthExtra[lengthCode]);
    const int distanceCode = ReadSymbol(r, distances);
    if (distanceCode < 0 || distanceCode >= 30) return false;
    const std::size_t distance = kDistanceBase[distanceCode] + TakeBits(r, kDistanceExtra[distanceCode]);
    if (r.ranOut || distance > out.size() || length > limit - out.size()) return false;
    // Byte by byte: a copy may overlap the bytes it makes.
    for (std::size_t i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
  }
}

bool ReadStoredBlock(BitReader& r, std::vector<std::uint8_t>& out, std::size_t limit) {
  r.held = 0;
  r.count = 0;
  if (r.in.size() - r.next < 4) return false;
  const unsigned length = r.in[r.next] | unsigned(r.in[r.next + 1]) << 8;
  const unsigned check = r.in[r.next + 2] | unsigned(r.in[r.next + 3]) << 8;
  r.next += 4;
  if ((length ^ 0xFFFF) != check || r.in.size() - r.next < length || length > limit - out.size()) return false;
  out.insert(out.end(), r.in.begin() + std::ptrdiff_t(r.next), r.in.begin() + std::ptrdiff_t(r.next + length));
  r.next += length;
  return true;
}

bool MakeFixedCodes(HuffmanCode& literals, HuffmanCode& distances) {
  std::array<std::uint8_t, 288> lengths{};
  for (int s = 0; s < 288; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
  std::array<std::uint8_t, 30> distanceLengths;
  distanceLengths.fill(5);
  return MakeCode(literals, lengths.data(), 288) && MakeCode(distances, distanceLengths.data(), 30);
}

bool ReadDynamicCodes(BitReader& r, HuffmanCode& literals, HuffmanCode& distances) {
  const int literalCount = int(TakeBits(r, 5)) + 257;
  const int distanceCount = int(TakeBits(r, 5)) + 1;
  const int lengthCodeCount = int(TakeBits(r, 4)) + 4;
  if (literalCount > 286 || distanceCount > 30) return false;
  constexpr std::array<std::uint8_t, 19> kOrder{16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::array<std::uint8_t, 19> lengthLengths{};
  for (int i = 0; i < lengthCodeCount; ++i) lengthLengths[kOrder[i]] = std::uint8_t(TakeBits(r, 3));
  HuffmanCode lengthCode;
  if (r.ranOut || !MakeCode(lengthCode, lengthLengths.data(), 19)) return false;

  std::array<std::uint8_t, 286 + 30> lengths{};
  for (int i = 0; i < literalCount + distanceCount;) {
    const int symbol = ReadSymbol(r, lengthCode);
    if (symbol < 0) return false;
    if (symbol < 16) {
      lengths[i++] = std::uint8_t(symbol);
      continue;
    }
    std::uint8_t repeated = 0;
    int times = 0;
    if (symbol == 16) {
      if (i == 0) return false;
      repeated = lengths[i - 1];
      times = 3 + int(TakeBits(r, 2));
    } else {
      times = symbol == 17 ? 3 + int(TakeBits(r, 3)) : 11 + int(TakeBits(r, 7));
    }
    if (r.ranOut || i + times > literalCount + distanceCount) return false;
    while (times-- > 0) lengths[i++] = repeated;
  }
  // A block with no end-of-block code could never end.
  return lengths[256] != 0 && MakeCode(literals, lengths.data(), literalCount) &&
         MakeCode(distances, lengths.data() + literalCount, distanceCount);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> Inflate(std::span<const std::uint8_t> packed, std::size_t limit) {
  BitReader r{packed};
  std::vector<std::uint8_t> out;
  for (bool last = false; !last;) {
    last = TakeBits(r, 1) == 1;
    const unsigned type = TakeBits(r, 2);
    if (r.ranOut) return std::nullopt;
    HuffmanCode literals, distances;
    bool ok = false;
    if (type == 0) ok = ReadStoredBlock(r, out, limit);
    if (type == 1) ok = MakeFixedCodes(literals, distances) && ReadCodedBlock(r, literals, distances, out, limit);
    if (type == 2) ok = ReadDynamicCodes(r, literals, distances) && ReadCodedBlock(r, literals, distances, out, limit);
    if (!ok) return std::nullopt;
  }
  return out;
}

std::optional<GzipSums> GzipSumsOf(std::span<const std::uint8_t> member) {
  if (member.size() < 18 || member[0] != 0x1F || member[1] != 0x8B || member[2] != 8 || member[3] != 0)
    return std::nullopt;
  const auto le32 = [&](std::size_t at) {
    return std::uint32_t(member[at]) | std::uint32_t(member[at + 1]) << 8 | std::uint32_t(member[at + 2]) << 16 |
           std::uint32_t(member[at + 3]) << 24;
  };
  return GzipSums{le32(member.size() - 8), le32(member.size() - 4)};
}

std::optional<std::vector<std::uint8_t>> Gunzip(std::span<const std::uint8_t> member) {
  const auto sums = GzipSumsOf(member);
  if (!sums) return std::nullopt;
  auto out = Inflate(member.subspan(10, member.size() - 18), sums->size);
  if (!out || out->size() != sums->size || Crc32(0, out->data(), out->size()) != sums->crc) return std::nullopt;
  return out;
}

}  // namespace vexa
