#pragma once
// The ten stages: the enemy's statistics and colour, the stage scripts and the ending.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lib/Language.h"

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
// UTF-8 texts in the run's language; a stage outside 1..10 is an assertion.
const std::vector<std::string>& StageScriptLines(Language language, std::int32_t stage);
const std::vector<std::string>& EndingScriptLines(Language language);

void StartStage(GameState& g, std::int32_t stage);
void SetUpStageEnemy(GameState& g, std::int32_t stage);
void AddScriptLine(GameState& g, std::string_view text);
void StartEnding(GameState& g);

}  // namespace vexa
