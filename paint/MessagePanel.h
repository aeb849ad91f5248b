#pragma once
// The scrolling message panel at the top of the window, drawn from the log's lines.
#include <array>
#include <string>
#include <string_view>

#include "record/GameRecord.h"

namespace vexa {

// Moves the lines one frame on (the log's scroll decays), clears the panel and draws it
// into `target`.
void LayoutMessageLog(TBrixBitmap& target, MessageLog& log);

// What the panel shows after a layout: equal views draw equal pixels.
struct PanelView {
  std::int32_t top = 0;    // the first line's top row
  std::int32_t shown = 0;  // lines drawn
  std::int32_t older = 0;  // lines before this one are grey
  std::array<std::string, 5> lines;
  bool operator==(const PanelView&) const = default;
};

// The two halves of a layout as a frame uses them, the frame being white already: the
// lines move on, then the panel is drawn.
void AdvanceMessageLog(MessageLog& log);
// What the panel shows of the log, into `view`, reusing its lines' storage.
void FillPanelView(const MessageLog& log, PanelView& view);
void DrawMessagePanel(TBrixBitmap& target, const PanelView& view);
// Every pixel DrawMessagePanel may write.
PixelRect PanelBounds(const TBrixBitmap& target, const PanelView& view);
// Blank rows become white; gradient rows fade toward white (weight rising away from `blank`).
void FadeBand(TBrixBitmap& surface, std::int32_t blankTop, std::int32_t blankBottom,
              std::int32_t gradTop, std::int32_t gradBottom, bool weightRisesDownward);

}  // namespace vexa
