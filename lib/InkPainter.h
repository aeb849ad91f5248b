#pragma once
// Runs of pixels in one colour, as text glyphs and one-colour pictures are drawn.
#include <cstdint>
#include <cstring>

#include "lib/ColorTriple.h"

namespace vexa {

// A run of pixels in one colour, written eight bytes at a time: the colour's three bytes
// repeat, so each eight-byte word is one of three rotations of the pattern.
class InkPainter {
 public:
  explicit InkPainter(ColorTriple ink) {
    const std::uint8_t pattern[3] = {ink.blue, ink.green, ink.red};
    for (int phase = 0; phase < 3; ++phase) {
      std::uint8_t bytes[8];
      for (int i = 0; i < 8; ++i) bytes[i] = pattern[(phase + i) % 3];
      std::memcpy(&words_[phase], bytes, 8);
    }
  }
  void Paint(ColorTriple* first, std::int32_t pixels) const {
    auto* p = reinterpret_cast<unsigned char*>(first);
    const std::size_t bytes = 3 * static_cast<std::size_t>(pixels);
    const auto* word = reinterpret_cast<const unsigned char*>(&words_[0]);
    if (bytes == 3) {
      std::memcpy(p, word, 2);
      p[2] = word[2];
      return;
    }
    if (bytes == 6) {
      std::memcpy(p, word, 4);
      std::memcpy(p + 4, word + 4, 2);
      return;
    }
    std::size_t j = 0;
    for (; j + 8 < bytes; j += 8) std::memcpy(p + j, &words_[j % 3], 8);
    std::memcpy(p + bytes - 8, &words_[(bytes - 8) % 3], 8);  // the last word may overlap the one before
  }

 private:
  std::uint64_t words_[3] = {};
};

}  // namespace vexa
