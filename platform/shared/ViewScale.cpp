#include "platform/shared/ViewScale.h"

#include <algorithm>

namespace vexa {

std::int32_t FloorDiv(std::int64_t a, std::int32_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  // Saturate: a pointer far off to one side must stay on that side.
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(q, INT32_MIN, INT32_MAX));
}

void WindowToGame(const ViewMap& view, std::int32_t windowX, std::int32_t windowY, std::int32_t& gameX,
                  std::int32_t& gameY) {
  gameX = FloorDiv(std::int64_t{windowX} - view.offsetX, view.scale);
  gameY = FloorDiv(std::int64_t{windowY} - view.offsetY, view.scale);
}

std::int32_t AutoScale(std::int32_t displayW, std::int32_t displayH, std::int32_t gameW, std::int32_t gameH) {
  for (std::int32_t n = maxScale; n > 1; --n) {
    // 85 % in whole numbers: 100 * size <= 85 * display.
    const bool fitsW = std::int64_t{100} * gameW * n <= std::int64_t{85} * displayW;
    const bool fitsH = std::int64_t{100} * gameH * n <= std::int64_t{85} * displayH;
    if (fitsW && fitsH) return n;
  }
  return 1;
}

ViewMap FullscreenView(std::int32_t screenW, std::int32_t screenH, std::int32_t gameW, std::int32_t gameH) {
  ViewMap view;
  if (gameW > 0 && gameH > 0) view.scale = std::clamp(std::min(screenW / gameW, screenH / gameH), 1, maxScale);
  // A screen smaller than the game shows its middle, cut at both sides.
  view.offsetX = (screenW - gameW * view.scale) / 2;
  view.offsetY = (screenH - gameH * view.scale) / 2;
  return view;
}

}  // namespace vexa
