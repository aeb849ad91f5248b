#pragma once
// The ten stages: the enemy's statistics and colour, the stage scripts and the ending.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "record/UnitData.h"

namespace vexa {

struct StageRow {
  std::int32_t maxHp;
  std::int32_t attack;
  std::int32_t maxAp;
  std::int32_t exp;
  ColorTriple color;
};

const StageRow& StageTableRow(std::int32_t stage);  // 1..10, else an assertion
std::span<const char* const> StageScriptLines(std::int32_t stage);  // UTF-8 texts
std::span<const char* const> EndingScriptLines();

void StartStage(GameState& g, std::int32_t stage);
void SetUpStageEnemy(GameState& g, std::int32_t stage);
void AddScriptLine(GameState& g, std::string_view text);
void StartEnding(GameState& g);

}  // namespace vexa
