#pragma once
// Where the game's 600 x 450 pixels sit in the window, and back: a whole-number scale
// for sharp pixels, and in full screen an offset that centres the game on black.
#include <cstdint>

namespace vexa {

struct ViewMap {
  std::int32_t scale = 1;
  std::int32_t offsetX = 0;  // window pixels left of the game's column 0
  std::int32_t offsetY = 0;
};

inline constexpr std::int32_t maxScale = 8;

// Rounds toward minus infinity, so a pointer left of the window stays left of column 0.
std::int32_t FloorDiv(std::int64_t a, std::int32_t b);

// A window position (which may lie outside the window while a button is held) in game pixels.
void WindowToGame(const ViewMap& view, std::int32_t windowX, std::int32_t windowY, std::int32_t& gameX,
                  std::int32_t& gameY);

// The largest scale 1..8 whose window fits within 85 % of the display; 1 when none does.
std::int32_t AutoScale(std::int32_t displayW, std::int32_t displayH, std::int32_t gameW, std::int32_t gameH);

// The largest scale 1..8 that fits the whole screen, centred on it.
ViewMap FullscreenView(std::int32_t screenW, std::int32_t screenH, std::int32_t gameW, std::int32_t gameH);

}  // namespace vexa
