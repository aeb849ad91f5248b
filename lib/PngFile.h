#pragma once
// Frames written as PNG files, for a replay's --frames.
#include <cstdint>
#include <string>

#include "lib/BrixBmp.h"

namespace vexa {

// Writes the surface as an 8-bit RGB PNG; raises VexaError on failure.
void WritePng(const std::string& path, const TBrixBitmap& frame);

}  // namespace vexa
