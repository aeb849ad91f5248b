// Frame sums without zlib or libdeflate; PNG frames are the Linux desktop tools' business.
#include "lib/Checked.h"
#include "lib/Crc32.h"
#include "lib/FrameChecksum.h"
#include "lib/PngFile.h"

namespace vexa {

void WritePng(const std::string& path, const TBrixBitmap&) {
  throw VexaError("cannot write " + path + ": this edition does not write PNG frames");
}

std::uint32_t FrameCrc(const TBrixBitmap& frame) {
  const std::vector<ColorTriple>& pixels = frame.Pixels();
  return Crc32(0, pixels.data(), pixels.size() * sizeof(ColorTriple));
}

}  // namespace vexa
