#pragma once
// Everything the player sees: the backbuffer, the fighters built from recoloured
// body parts, and the frame composed once per battle step.
#include <string>

#include "core/UnitData.h"

namespace vexa {

void CreateBackbuffer(GameState& g);
void FreeBackbuffer(GameState& g);
// Draws the frame into the backbuffer; does nothing without a backbuffer. The session
// shows it.
void ComposeFrame(GameState& g);

void CreateSpritePair(SpritePair& pair);
void FreeSpritePair(SpritePair& pair);
void LoadSpritePair(SpritePair& pair, const std::string& fileName, bool mirror, ColorTriple color);
void FlipHorizontal(TBrixBitmap& surface);
void DrawFighter(GameState& g, const Fighter& f);

}  // namespace vexa
