#pragma once
// The checksum a trace gives every frame.
#include <cstdint>

#include "lib/BrixBmp.h"

namespace vexa {

// CRC-32 (zlib's and PNG's) of the pixels, rows top to bottom, blue, green, red, no padding.
std::uint32_t FrameCrc(const TBrixBitmap& frame);

}  // namespace vexa
