#pragma once
// Deflate undone, in plain C++: the Windows exe carries the game's files gzip-packed and has
// no zlib to unpack them with.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vexa {

// What raw deflate data unpacks to; nothing when it is damaged, ends early, or would unpack
// to more than `limit` bytes.
std::optional<std::vector<std::uint8_t>> Inflate(std::span<const std::uint8_t> packed, std::size_t limit);

// What a gzip member's trailer says of its contents: their length and CRC-32. Nothing when the
// member has not the fixed header `gzip -n` writes (no name, comment or extra field).
struct GzipSums {
  std::uint32_t crc = 0;
  std::uint32_t size = 0;
};
std::optional<GzipSums> GzipSumsOf(std::span<const std::uint8_t> member);

// The contents of one gzip member (as `gzip -n` writes), its length and CRC checked; nothing
// when anything about it is wrong.
std::optional<std::vector<std::uint8_t>> Gunzip(std::span<const std::uint8_t> member);

}  // namespace vexa
