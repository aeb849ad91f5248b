#include "core/UnitForm.h"

#include <algorithm>

#include "command/UnitCommand.h"
#include "core/StartGame.h"
#include "lib/BrixTimer.h"
#include "record/Pictures.h"

namespace vexa {

void MapMouseX(GameState& g, std::int32_t x) {
  // In 64 bits: a pointer far outside the window must not overflow the subtraction.
  const std::int64_t target = std::clamp<std::int64_t>(std::int64_t{x} - PointerOffset, 0, g.clientWidth);
  g.player.targetX = static_cast<std::int32_t>(target);
}

void LeftDown(GameState& g) { g.clickLatch = true; }

void RightDown(GameState& g) {
  g.rightHeld = true;
  if (!g.battleOn) CycleCommand(g);
}

void RightUp(GameState& g) { g.rightHeld = false; }

namespace {
constexpr const char* TickName = "BattleTick";
}

TFormMain::TFormMain(GameState& g, FormWindow* window, std::function<void()> tick, std::uint32_t seed)
    : TBrixForm(window), g_(g), ticking_(static_cast<bool>(tick)) {
  SetClientSize(vexa::ClientWidth, vexa::ClientHeight);
  CenterOnScreen();
  g.clientWidth = ClientWidth();
  g.clientHeight = ClientHeight();
  g.random.seed = seed;
  TBrixTimer::Start();
  CreateBackbuffer(g);
  CreateFighters(g);
  if (ticking_) TBrixTimer::Add(std::move(tick), StepMilliseconds, TickName);
  StartGame(g);
}

TFormMain::~TFormMain() {
  // The entry would otherwise outlive the game it steps.
  if (ticking_) TBrixTimer::Remove(TickName);
  FreeBackbuffer(g_);
  FreeFighters(g_);
}

void TFormMain::PaintBoxMainMouseDown(MouseButton button, ShiftState, std::int32_t x, std::int32_t) {
  MapMouseX(g_, x);
  if (button == MouseButton::Left) LeftDown(g_);
  if (button == MouseButton::Right) RightDown(g_);
}

void TFormMain::PaintBoxMainMouseMove(ShiftState shift, std::int32_t x, std::int32_t) {
  MapMouseX(g_, x);
  // A release outside the window is repaired by the next move without the button.
  if (!shift.right) RightUp(g_);
}

void TFormMain::PaintBoxMainMouseUp(MouseButton button, ShiftState, std::int32_t x, std::int32_t) {
  MapMouseX(g_, x);
  if (button == MouseButton::Right) RightUp(g_);
}

}  // namespace vexa
