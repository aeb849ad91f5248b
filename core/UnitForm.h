#pragma once
// The main form: puts the game together in its fixed order and turns mouse events
// into the latches and the player's target that the next battle step reads.
#include <cstdint>
#include <functional>

#include "record/UnitData.h"
#include "lib/BrixForm.h"

namespace vexa {

void MapMouseX(GameState& g, std::int32_t x);
void LeftDown(GameState& g);
void RightDown(GameState& g);
void RightUp(GameState& g);

class TFormMain : public TBrixForm {
 public:
  // `window` is absent when the game runs headless. `tick`, when given, is the game step
  // the scheduler calls every 50 ms until the form goes.
  TFormMain(GameState& g, FormWindow* window, std::function<void()> tick, std::uint32_t seed);
  ~TFormMain() override;

  // The paint box's handlers; every event reaches them through Session::Post.
  void PaintBoxMainMouseDown(MouseButton button, ShiftState shift, std::int32_t x, std::int32_t y);
  void PaintBoxMainMouseMove(ShiftState shift, std::int32_t x, std::int32_t y);
  void PaintBoxMainMouseUp(MouseButton button, ShiftState shift, std::int32_t x, std::int32_t y);

  GameState& Game() { return g_; }

 private:
  GameState& g_;
  bool ticking_;
};

}  // namespace vexa
