#pragma once
// The game's start, and its restart after the retry: from the save, or at stage 1.
#include "record/GameRecord.h"

namespace vexa {

void StartGame(GameState& g);

}  // namespace vexa
