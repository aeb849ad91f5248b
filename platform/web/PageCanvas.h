#pragma once
// The page's screen: each step's frame goes to the canvas, only where it changed.
#include <vector>

#include "lib/BrixBmp.h"

namespace vexa {

class PageCanvas : public PaintBox {
 public:
  void Show(const TBrixBitmap& frame, const FrameDamage& damage) override;

 private:
  void Put(const TBrixBitmap& frame, const PixelRect& part);

  const TBrixBitmap* shown_ = nullptr;  // the frame the canvas holds, when its damage can be trusted
  std::int32_t width_ = 0, height_ = 0;
  std::vector<unsigned char> rgba_;
};

}  // namespace vexa
