#pragma once
#include <cstdint>
#include <string>

#include "lib/BrixBmp.h"

namespace vexa {

// Writes the surface as an 8-bit RGB PNG; raises VexaError on failure.
void WritePng(const std::string& path, const TBrixBitmap& frame);
// CRC-32 of the pixels, rows top to bottom, blue, green, red, no padding.
std::uint32_t FrameCrc(const TBrixBitmap& frame);

}  // namespace vexa
