// Frame sums without zlib or libdeflate; PNG frames are the Linux desktop tools' business.
#include "lib/Checked.h"
#include "lib/Crc32.h"
#include "lib/FrameChecksum.h"
#include "lib/PngFile.h"
#include "lib/RowSums.h"

namespace vexa {

void WritePng(const std::string& path, const TBrixBitmap&) {
  throw VexaError("cannot write " + path + ": this edition does not write PNG frames");
}

std::uint32_t FrameCrc(const TBrixBitmap& frame) {
  // A trace sums the frame every step, and most steps change a few rows: the rows kept from
  // the last call spare summing the rest again. One per thread, so callers need no lock.
  thread_local RowSums sums;
  const std::vector<ColorTriple>& pixels = frame.Pixels();
  const auto rowBytes = static_cast<std::size_t>(frame.Width()) * sizeof(ColorTriple);
  if (rowBytes == 0 || pixels.size() * sizeof(ColorTriple) != rowBytes * static_cast<std::size_t>(frame.Height()))
    return Crc32(0, pixels.data(), pixels.size() * sizeof(ColorTriple));
  return SumByRows(sums, reinterpret_cast<const std::uint8_t*>(pixels.data()), rowBytes,
                   static_cast<std::size_t>(frame.Height()));
}

}  // namespace vexa
