#pragma once
// The 50 ms battle step and the rules it is made of.
#include "record/UnitData.h"

namespace vexa {

void BattleTick(GameState& g);

void RegenAp(Fighter& f);
void LatchInput(GameState& g);
void MoveFighters(GameState& g);
void FlyOff(Fighter& f);
void ClampX(GameState& g, Fighter& f);
void DrainAp(Fighter& f);
void ResolveHits(GameState& g);

}  // namespace vexa
