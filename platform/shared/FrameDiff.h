#pragma once
// What changed between two frames. At an idle step only a few hundred pixels of the
// fighters' outlines tremble; converting and sending just those pieces, not the frame,
// is most of what keeps an idle window cheap.
#include <cstdint>
#include <vector>

#include "lib/BrixBmp.h"

namespace vexa {

// Whether a row is one colour throughout, and which.
struct RowColour {
  bool single = false;
  ColorTriple colour;
};

// The frame the window last showed, kept to compare the next one with.
struct ShownFrame {
  std::vector<ColorTriple> pixels;
  // Most rows of a frame are the background alone. Where a row was one colour and the new
  // frame's row is that colour throughout, it is unchanged without reading the kept copy,
  // which by the next step has left the cache: half the memory traffic of a compare.
  std::vector<RowColour> rows;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool Empty() const { return pixels.empty(); }
};

// Pixels [left, right) of one row.
struct RowRun {
  std::int32_t row = 0;
  std::int32_t left = 0;
  std::int32_t right = 0;
};

// Pieces are compared this many pixels at a time: a whole piece is redrawn when any of
// its pixels changed.
inline constexpr std::int32_t runPiece = 16;

// Makes `shown` the new frame (width x height contiguous pixels). `runs` receives every
// changed piece, neighbours in a row joined, top to bottom; the result is their bounding
// rectangle, empty when nothing changed. With no frame before, or one of another size,
// every row is one run and the whole frame is returned.
PixelRect TakeFrame(ShownFrame& shown, const ColorTriple* frame, std::int32_t width, std::int32_t height,
                    std::vector<RowRun>& runs);

}  // namespace vexa
