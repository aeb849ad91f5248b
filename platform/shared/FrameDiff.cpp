#include "platform/shared/FrameDiff.h"

#include <algorithm>
#include <cstring>

namespace vexa {

namespace {

bool Same(const ColorTriple* a, const ColorTriple* b, std::int32_t count) {
  return std::memcmp(a, b, std::size_t(count) * sizeof(ColorTriple)) == 0;
}

// A piece of a row already known to differ somewhere: eight bytes at a time, inline, as
// a call per 48 bytes would cost more than the comparing.
bool SamePiece(const ColorTriple* a, const ColorTriple* b, std::int32_t count) {
  const auto* p = reinterpret_cast<const unsigned char*>(a);
  const auto* q = reinterpret_cast<const unsigned char*>(b);
  const std::size_t bytes = std::size_t(count) * sizeof(ColorTriple);
  std::uint64_t differ = 0;
  std::size_t i = 0;
  for (; i + 8 <= bytes; i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, p + i, 8);
    std::memcpy(&y, q + i, 8);
    differ |= x ^ y;
  }
  for (; i < bytes; ++i) differ |= p[i] ^ q[i];
  return differ == 0;
}

RowColour ColourOf(const ColorTriple* row, std::int32_t width) {
  // Every pixel equal to its right-hand neighbour: one read of the row.
  if (width <= 0 || !Same(row, row + 1, width - 1)) return RowColour{};
  return RowColour{true, row[0]};
}

}  // namespace

PixelRect TakeFrame(ShownFrame& shown, const ColorTriple* frame, std::int32_t width, std::int32_t height,
                    std::vector<RowRun>& runs) {
  runs.clear();
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (shown.Empty() || width != shown.width || height != shown.height) {
    shown.pixels.assign(frame, frame + std::size_t(width) * std::size_t(height));
    shown.width = width;
    shown.height = height;
    shown.rows.resize(std::size_t(height));
    for (std::int32_t y = 0; y < height; ++y) {
      shown.rows[std::size_t(y)] = ColourOf(frame + std::size_t(y) * std::size_t(width), width);
      runs.push_back(RowRun{y, 0, width});
    }
    return PixelRect{0, 0, width, height};
  }
  PixelRect box{width, height, 0, 0};
  for (std::int32_t y = 0; y < height; ++y) {
    ColorTriple* was = shown.pixels.data() + std::size_t(y) * std::size_t(width);
    const ColorTriple* now = frame + std::size_t(y) * std::size_t(width);
    RowColour& kept = shown.rows[std::size_t(y)];
    const RowColour colour = ColourOf(now, width);
    if (colour.single && kept.single && SameColor(colour.colour, kept.colour)) continue;
    kept = colour;
    if (Same(was, now, width)) continue;  // most other rows: one pass over memory
    for (std::int32_t x = 0; x < width; x += runPiece) {
      const std::int32_t n = std::min(runPiece, width - x);
      if (SamePiece(was + x, now + x, n)) continue;
      std::memcpy(was + x, now + x, std::size_t(n) * sizeof(ColorTriple));
      if (!runs.empty() && runs.back().row == y && runs.back().right == x) runs.back().right = x + n;
      else runs.push_back(RowRun{y, x, x + n});
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x + n);
    }
    box.top = std::min(box.top, y);
    box.bottom = y + 1;
  }
  return runs.empty() ? PixelRect{} : box;
}

}  // namespace vexa
