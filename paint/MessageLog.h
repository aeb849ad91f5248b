#pragma once
// The scrolling message panel at the top of the window and the status bars below.
#include <string_view>

#include "core/UnitData.h"

namespace vexa {

void AddMessage(MessageLog& log, std::string_view text);
void ClearMessageLog(MessageLog& log);
void LayoutMessageLog(GameState& g);
// Blank rows become white; gradient rows fade toward white (weight rising away from `blank`).
void FadeBand(TBrixBitmap& surface, std::int32_t blankTop, std::int32_t blankBottom,
              std::int32_t gradTop, std::int32_t gradBottom, bool weightRisesDownward);

void DrawStatusBars(GameState& g);
void DrawStatusRow(GameState& g, std::int32_t y, std::string_view label, std::int32_t enemyValue,
                   ColorTriple color, std::int32_t enemyMax, std::int32_t playerValue,
                   std::int32_t playerMax, std::int32_t numerator, std::int32_t denominator);

}  // namespace vexa
