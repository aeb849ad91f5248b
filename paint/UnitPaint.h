#pragma once
// The frame composed once per battle step, and the fighters drawn into it from their
// recoloured body parts (record/Pictures.h makes those).
#include <string>

#include "record/Pictures.h"

namespace vexa {

// Draws the frame into the backbuffer; does nothing without a backbuffer. The session
// shows it.
void ComposeFrame(GameState& g);

// Draws `f` into `target`, trembling by draws from `random`.
void DrawFighter(TBrixBitmap& target, RandomState& random, const Fighter& f);

}  // namespace vexa
