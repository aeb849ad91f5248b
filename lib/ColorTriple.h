#pragma once
// One pixel as the surfaces store it: blue, green, red, three bytes, no padding.
#include <cstdint>

namespace vexa {

struct ColorTriple {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
};
static_assert(sizeof(ColorTriple) == 3);

}  // namespace vexa
