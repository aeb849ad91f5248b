#pragma once
// The frame composed once per battle step, and the fighters drawn into it from their
// recoloured body parts (record/Pictures.h makes those).
#include <string>

#include "record/Pictures.h"

namespace vexa {

// Draws the frame into the backbuffer; does nothing without a backbuffer. Only what changed
// since the frame before is drawn again; the result says where (known and empty: nothing
// changed; unknown: no backbuffer). The backbuffer is the drawing's alone between frames.
// With `whole`, the same frame is also drawn into it in full, for comparing the two.
const FrameDamage& ComposeFrame(GameState& g, TBrixBitmap* whole = nullptr);

// Draws `f` into `target`, trembling by draws from `random`.
void DrawFighter(TBrixBitmap& target, RandomState& random, const Fighter& f);

}  // namespace vexa
