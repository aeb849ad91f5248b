#pragma once
// UTF-8 read one character at a time, the way every text count and layout of the game reads
// it: malformed bytes stand for one character each, so widths always add up the same.
#include <cstddef>
#include <string_view>

namespace vexa {

inline std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  std::size_t extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : 0;
  if (extra != 0 && i + extra >= s.size()) extra = 0;
  return extra + 1;
}

inline char32_t DecodeSequence(std::string_view seq) {
  const auto b0 = static_cast<unsigned char>(seq[0]);
  if (seq.size() == 1) return b0;
  char32_t cp = b0 & (0x3F >> (seq.size() - 1));
  for (std::size_t k = 1; k < seq.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(seq[k]) & 0x3F);
  return cp;
}

}  // namespace vexa
