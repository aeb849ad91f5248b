#pragma once
// The enemy's decision for one battle step, by the behaviour of its stage.
#include "record/UnitData.h"

namespace vexa {

void DecideEnemy(GameState& g);
void ResetEnemyBehaviour(GameState& g);

}  // namespace vexa
