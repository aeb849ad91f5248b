#pragma once
// The status bars below the fighters: HP, attack and AP of both, with their numbers.
#include <string_view>

#include "record/GameRecord.h"

namespace vexa {

void DrawStatusBars(TBrixBitmap& target, const GameState& g);
// The enemy's side shows only while a battle is on.
void DrawStatusRow(TBrixBitmap& target, bool battleOn, std::int32_t y, std::string_view label, std::int32_t enemyValue,
                   ColorTriple color, std::int32_t enemyMax, std::int32_t playerValue,
                   std::int32_t playerMax, std::int32_t numerator, std::int32_t denominator);

}  // namespace vexa
