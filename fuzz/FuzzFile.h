#pragma once
// The loaders read files by name, so each input goes through a private file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

inline std::string WriteInput(const char* suffix, const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/vexa-fuzz-" + std::to_string(getpid()) + suffix;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return {};
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  return path;
}
