#pragma once
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lib/SystemFiles.h"

namespace vexa::test {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(PathOf(path), std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

}  // namespace vexa::test
