#include "core/StartGame.h"

#include <string>

#include "lib/BrixSaveLoad.h"
#include "record/MessageLog.h"
#include "record/Texts.h"
#include "record/UnitData.h"
#include "stage/UnitStage.h"

namespace vexa {

void StartGame(GameState& g) {
  ClearMessageLog(g.messageLog);
  g.retryClicks = 0;
  g.saveBlock.trainingCount = 0;
  g.ending = false;

  // A save with values the game never writes (an edited file passes the public check
  // code) would crash or lock the game later: it counts as damaged.
  SaveBlock loaded = g.saveBlock;
  const std::string result = LoadGameBlock(loaded);
  const bool restored = result == ResultSuccess && SaveBlockPlausible(loaded);
  g.damagedSave = !restored && result.rfind(ResultNoSaveFile, 0) != 0 && TBrixSaveLoad::IsFileOrLink();
  if (restored) {
    g.saveBlock = loaded;
    SetupFighter(g, g.player, g.saveBlock.maxHp, g.saveBlock.attack, g.saveBlock.maxAp, g.saveBlock.exp, ColorWhite);
    RefillFighter(g.player);
    g.battleOn = false;
    g.enemy.hp = 0;
    g.enemy.x = -10;
    g.selectedCommand = -1;
    AddMessage(g.messageLog, Text(g.language, text::ResumedAt, {std::to_string(g.saveBlock.stage)}));
  } else {
    SetupFighter(g, g.player, StartMaxHp, StartAttack, StartMaxAp, 0, ColorWhite);
    RefillFighter(g.player);
    StartStage(g, 1);
  }
}

}  // namespace vexa
