// Frame sums without zlib or libdeflate; PNG frames are the Linux desktop tools' business.
#include "lib/BlockSums.h"
#include "lib/Checked.h"
#include "lib/FrameChecksum.h"
#include "lib/PerThread.h"
#include "lib/PngFile.h"

namespace vexa {

void WritePng(const std::string& path, const TBrixBitmap&) {
  throw VexaError("cannot write " + path + ": this edition does not write PNG frames");
}

std::uint32_t FrameCrc(const TBrixBitmap& frame) {
  // A trace sums the frame every step, and most steps change a few small parts: the blocks
  // kept from the last call spare summing the rest again. One per thread, so callers need no lock.
  VEXA_PER_THREAD BlockSums sums;
  const std::vector<ColorTriple>& pixels = frame.Pixels();
  return SumByBlocks(sums, reinterpret_cast<const std::uint8_t*>(pixels.data()), pixels.size() * sizeof(ColorTriple));
}

}  // namespace vexa
