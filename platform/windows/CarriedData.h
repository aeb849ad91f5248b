#pragma once
// The game's pictures, sounds and glyph file carried inside vexa.exe, so the exe alone plays.
#include <cstddef>
#include <ostream>
#include <string>

namespace vexa {

struct CarriedFile {
  const char* name;  // "dat/vexa_head.bmp", "glyphs.bin"
  const unsigned char* begin;  // a gzip member
  const unsigned char* end;
};

// Made at build time from the game's files (WindowsBuild.cmake).
extern const CarriedFile kCarriedFiles[];
extern const std::size_t kCarriedFileCount;

// Writes the carried files, unpacked, into `folder` where they are missing or differ, each
// whole or not at all; false after one line saying why.
bool UnpackCarriedData(const std::string& folder, std::ostream& err);

}  // namespace vexa
