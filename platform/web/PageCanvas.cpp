#include "platform/web/PageCanvas.h"

#include <emscripten.h>

#include <algorithm>

// page.js puts the part at (x, y); the pixels are the part's own rows, packed.
EM_JS(void, PagePutPart, (const unsigned char* rgba, int x, int y, int width, int height, int frameWidth,
                          int frameHeight), {
  VexaPaint.put(rgba, x, y, width, height, frameWidth, frameHeight);
});

namespace vexa {

void PageCanvas::Show(const TBrixBitmap& frame, const FrameDamage& damage) {
  if (frame.Width() <= 0 || frame.Height() <= 0) return;
  // The damage tells what changed since this same frame was shown last; after another frame,
  // a resize or a frame that came without it, the whole frame goes.
  const bool whole = !damage.known || shown_ != &frame || width_ != frame.Width() || height_ != frame.Height();
  shown_ = damage.known ? &frame : nullptr;
  width_ = frame.Width();
  height_ = frame.Height();
  if (whole) {
    Put(frame, PixelRect{0, 0, width_, height_});
    return;
  }
  // Each part on its own, as the window does: the fighters and the bars lie far apart.
  for (const PixelRect& part : damage.rects) Put(frame, part);
}

void PageCanvas::Put(const TBrixBitmap& frame, const PixelRect& part) {
  const PixelRect r{std::max(part.left, 0), std::max(part.top, 0), std::min(part.right, width_),
                    std::min(part.bottom, height_)};
  if (r.Empty()) return;
  const std::int32_t w = r.right - r.left, h = r.bottom - r.top;
  rgba_.resize(static_cast<std::size_t>(w) * h * 4);
  unsigned char* out = rgba_.data();
  const ColorTriple* pixels = frame.Pixels().data();
  for (std::int32_t y = r.top; y < r.bottom; ++y) {
    const ColorTriple* p = pixels + static_cast<std::size_t>(y) * width_ + r.left;
    for (std::int32_t x = 0; x < w; ++x, ++p) {
      *out++ = p->red;
      *out++ = p->green;
      *out++ = p->blue;
      *out++ = 255;
    }
  }
  PagePutPart(rgba_.data(), r.left, r.top, w, h, width_, height_);
}

}  // namespace vexa
