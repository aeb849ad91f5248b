#pragma once
// A BMP decoder of our own for builds without SDL: it decodes only what the header checks
// (lib/BmpFormat.h) let through, so it never has to guard against a hostile file again.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lib/BmpFormat.h"
#include "platform/BmpDecode.h"

namespace vexa {

// The pixel data of a checked picture, top row first, each pixel as ConvertBmpRow reads it
// (one byte a palette index for 8 bits and fewer). Skipped run-length pixels are index 0.
std::vector<std::uint8_t> DecodeBmpPixels(std::span<const std::uint8_t> file, const BmpPlan& plan);

// The whole decode, as DecodeBmp gives it, on builds without SDL; raises PictureError alike.
Picture24 DecodeBmpPortable(std::span<const std::uint8_t> file, const std::string& name);

}  // namespace vexa
