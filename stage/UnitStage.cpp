#include "stage/UnitStage.h"

#include <array>

#include "lib/Checked.h"
#include "stage/UnitEnemy.h"

namespace vexa {

namespace {

constexpr std::int32_t StageCount = 10;

StageRow Row(std::int32_t stage, std::int32_t maxHp, std::int32_t attack, std::int32_t maxAp, std::uint8_t red,
             std::uint8_t green, std::uint8_t blue) {
  return StageRow{maxHp, attack, maxAp, chk::Div(chk::Add(stage, 1), 2), Rgb(red, green, blue)};
}

const std::array<StageRow, StageCount>& StageTable() {
  // Stage 5 is 255, 1, 1 because pure red is the pictures' transparent colour.
  static const std::array<StageRow, StageCount> table = {
      Row(1, 60, 6, 120, 192, 192, 192),   Row(2, 50, 10, 80, 128, 64, 64),
      Row(3, 45, 8, 150, 255, 255, 0),     Row(4, 70, 15, 100, 255, 192, 192),
      Row(5, 30, 50, 40, 255, 1, 1),       Row(6, 100, 30, 200, 255, 255, 0),
      Row(7, 150, 25, 150, 64, 64, 64),    Row(8, 180, 20, 180, 192, 128, 64),
      Row(9, 200, 25, 150, 255, 255, 255), Row(10, 255, 45, 255, 0, 0, 0),
  };
  return table;
}

}  // namespace

const StageRow& StageTableRow(std::int32_t stage) {
  VEXA_ASSERT(stage >= 1 && stage <= StageCount, "UnitStage");
  return StageTable()[CheckIndex("stage table", chk::Sub(stage, 1), StageCount)];
}

void SetUpStageEnemy(GameState& g, std::int32_t stage) {
  const StageRow& row = StageTableRow(stage);
  SetupFighter(g, g.enemy, row.maxHp, row.attack, row.maxAp, row.exp, row.color);
  RefillFighter(g.enemy);
}

void AddScriptLine(GameState& g, std::string_view text) {
  const std::size_t slot = CheckIndex("scriptLines", g.scriptCount, ScriptCapacity);
  g.scriptLines[slot] = std::string(text);
  g.scriptCount = chk::Add(g.scriptCount, 1);
}

void StartStage(GameState& g, std::int32_t stage) {
  g.saveBlock.stage = stage;
  g.scriptCount = 0;
  g.scriptNext = 0;
  g.battleOn = true;
  SetUpStageEnemy(g, stage);
  ResetEnemyBehaviour(g);
  for (const std::string& line : StageScriptLines(g.language, stage)) AddScriptLine(g, line);
}

void StartEnding(GameState& g) {
  g.scriptCount = 0;
  g.scriptNext = 0;
  g.ending = true;
  // The report is rewritten as the ending begins, already with the clear mark.
  WriteReport(g);
  for (const std::string& line : EndingScriptLines(g.language)) AddScriptLine(g, line);
}

}  // namespace vexa
