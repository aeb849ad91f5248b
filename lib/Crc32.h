#pragma once
// CRC-32 (the one zlib and PNG use) in plain C++, for builds without zlib or libdeflate.
#include <cstddef>
#include <cstdint>

namespace vexa {

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);

}  // namespace vexa
