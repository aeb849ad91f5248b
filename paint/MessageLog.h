#pragma once
// The scrolling message panel at the top of the window, drawn from the log's lines.
#include <string_view>

#include "record/GameRecord.h"

namespace vexa {

// Moves the lines one frame on (the log's scroll decays) and draws the panel into `target`.
void LayoutMessageLog(TBrixBitmap& target, MessageLog& log);
// Blank rows become white; gradient rows fade toward white (weight rising away from `blank`).
void FadeBand(TBrixBitmap& surface, std::int32_t blankTop, std::int32_t blankBottom,
              std::int32_t gradTop, std::int32_t gradBottom, bool weightRisesDownward);

}  // namespace vexa
