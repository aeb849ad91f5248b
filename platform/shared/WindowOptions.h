#pragma once
// What a platform's window is opened with, and how it says it could not be.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "record/GameRecord.h"

namespace vexa {

// The window could not be opened (no display, nothing to draw into); what() is one line.
struct PlatformError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct WindowOptions {
  std::int32_t scale = 1;   // 1..8 window pixels per game pixel; 0 picks with AutoScale
  bool fullscreen = false;  // fills the screen; the game at the largest scale that fits, on black
  bool fitScreen = false;   // a scale too large for the screen is reduced (see Notice)
  std::string title = GameTitle;
  std::string iconFile = "dat\\vexa_icon.bmp";  // the game's name for it; missing means no icon
};

// An error before there is a window, shown in a box of its own for a player who started the
// game from a menu and sees no terminal; false when no box can be shown. Each platform's
// window gives it.
bool ShowStartErrorBox(const std::string& text);

}  // namespace vexa
