// Battle steps per second: the rules alone, and whole headless steps with the drawing.
#include <ostream>
#include <streambuf>

#include "Ratio.h"
#include "core/UnitForm.h"
#include "core/UnitMain.h"
#include "lib/BrixTimer.h"
#include "lib/FrameChecksum.h"
#include "lib/GamePaths.h"
#include "paint/MessagePanel.h"
#include "paint/StatusBars.h"
#include "record/MessageLog.h"
#include "session/Session.h"
#include "stage/UnitEnemy.h"

namespace {

// The mouse of a restless player: a new target every step, a click now and then.
void Poke(vexa::GameState& g, std::uint32_t& noise) {
  noise = noise * 1103515245u + 12345u;
  vexa::MapMouseX(g, static_cast<std::int32_t>((noise >> 8) % 700) - 50);
  if ((noise >> 20) % 4 == 0) vexa::LeftDown(g);
  g.rightHeld = (noise >> 24) % 8 == 0;
}

// Keeps the duel going forever so every step is a battle step.
void KeepFighting(vexa::GameState& g) {
  if (g.player.hp <= 0 || g.enemy.hp <= 0 || g.player.y < 300 || g.enemy.y < 300) {
    for (vexa::Fighter* f : {&g.player, &g.enemy}) {
      vexa::RefillFighter(*f);
      f->y = 300;
    }
    g.retryClicks = 0;
    g.battleOn = true;
    g.saveBlock.stage = g.saveBlock.stage % 9 + 1;  // stage 10 would start the ending and write the report
    vexa::ResetEnemyBehaviour(g);                    // as every stage start does
  }
}

void BM_BattleStepRulesOnly(benchmark::State& state) {
  vexa::GameState g;  // no backbuffer: ComposeFrame draws nothing
  g.player.isPlayer = true;
  g.player.maxHp = 255;
  g.player.attack = 5;
  g.player.maxAp = 255;
  g.enemy.maxHp = 255;
  g.enemy.attack = 5;
  g.enemy.maxAp = 150;
  g.saveBlock.stage = 1;
  g.player.x = 500;
  KeepFighting(g);
  std::uint32_t noise = 7;
  for (auto _ : state) {
    Poke(g, noise);
    vexa::BattleTick(g);
    KeepFighting(g);
    // Without drawing no layout trims the panel; empty it as a frame would.
    if (g.messageLog.count > 200) vexa::ClearMessageLog(g.messageLog);
  }
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BattleStepRulesOnly);

// Whole steps as the game runs them, through the one place a step runs; with `trace`, the
// trace line of each step written too, as `vexa --replay --trace` does.
void StepWithDrawing(benchmark::State& state, bool trace) {
  vexa::SetDataFolder(VEXA_SOURCE_DIR);
  struct Nowhere : std::streambuf {
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
  } nowhere;
  std::ostream out(&nowhere);
  vexa::SessionOptions options;
  options.seed = 1;
  if (trace) options.trace = &out;
  vexa::Session session(options);
  vexa::GameState& g = session.Game();
  std::uint32_t noise = 7;
  for (auto _ : state) {
    Poke(g, noise);
    if (g.player.hp <= 0 && g.retryClicks > 0) vexa::LeftDown(g);
    session.Step();
  }
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
void BM_BattleStepWithDrawing(benchmark::State& state) { StepWithDrawing(state, false); }
BENCHMARK(BM_BattleStepWithDrawing);
void BM_BattleStepWithTrace(benchmark::State& state) { StepWithDrawing(state, true); }
BENCHMARK(BM_BattleStepWithTrace);

// The trace's checksum of one whole frame, the part of a traced step that does not shrink
// with what changed.
void BM_FrameCrc(benchmark::State& state) {
  vexa::TBrixBitmap frame;
  frame.SetSize(600, 450);
  for (auto _ : state) benchmark::DoNotOptimize(vexa::FrameCrc(frame));
}
BENCHMARK(BM_FrameCrc);

}  // namespace

int main(int argc, char** argv) {
  return vexa::bench::RunWithRatios(argc, argv,
                                    {{{"BM_FrameCrc", "BM_BattleStepWithTrace"}, "the checksum's share of a traced step"}});
}
