#pragma once
// The surfaces the game is drawn into and from: the backbuffer, and the fighters' body
// parts loaded, recoloured in the fighter's colour and mirrored for the enemy.
#include <string>

#include "record/GameRecord.h"

namespace vexa {

void CreateBackbuffer(GameState& g);
void FreeBackbuffer(GameState& g);

void CreateSpritePair(SpritePair& pair);
void FreeSpritePair(SpritePair& pair);
void LoadSpritePair(SpritePair& pair, const std::string& fileName, bool mirror, ColorTriple color);
void FlipHorizontal(TBrixBitmap& surface);

}  // namespace vexa
