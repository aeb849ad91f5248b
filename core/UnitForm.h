#pragma once
// The main form: puts the game together in its fixed order and turns mouse events
// into the latches and the player's target that the next battle step reads.
#include <cstdint>

#include "core/UnitData.h"
#include "lib/BrixForm.h"

namespace vexa {

void MapMouseX(GameState& g, std::int32_t x);
void LeftDown(GameState& g);
void RightDown(GameState& g);
void RightUp(GameState& g);

class TFormMain : public TBrixForm, public MouseTarget {
 public:
  // `window` and `paintBox` are absent when the game runs headless.
  TFormMain(GameState& g, FormWindow* window, PaintBox* paintBox, std::uint32_t seed);
  ~TFormMain() override;

  void PaintBoxMainMouseDown(MouseButton button, ShiftState shift, std::int32_t x, std::int32_t y) override;
  void PaintBoxMainMouseMove(ShiftState shift, std::int32_t x, std::int32_t y) override;
  void PaintBoxMainMouseUp(MouseButton button, ShiftState shift, std::int32_t x, std::int32_t y) override;

  GameState& Game() { return g_; }

 private:
  GameState& g_;
};

}  // namespace vexa
