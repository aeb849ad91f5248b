// ComposeFrame against the physical floor: filling the 600 x 450 x 3 frame and copying it once;
// and drawing what changed against drawing every frame whole.
#include <cstring>
#include <vector>

#include "Ratio.h"
#include "core/UnitForm.h"
#include "core/UnitMain.h"
#include "lib/BrixTimer.h"
#include "lib/GamePaths.h"
#include "paint/MessagePanel.h"
#include "paint/StatusBars.h"
#include "record/MessageLog.h"
#include "paint/UnitPaint.h"

namespace {

void BM_FloorFillAndCopy(benchmark::State& state) {
  std::vector<unsigned char> frame(600 * 450 * 3), window(600 * 450 * 3);
  for (auto _ : state) {
    std::memset(frame.data(), 255, frame.size());
    benchmark::ClobberMemory();
    std::memcpy(window.data(), frame.data(), frame.size());
    benchmark::DoNotOptimize(window.data());
  }
}
BENCHMARK(BM_FloorFillAndCopy);

// A typical battle frame: both fighters on screen, bars, a full message panel in motion.
// With `whole`, every frame is drawn in full, as if nothing were known of the one before.
void ComposeBattleFrames(benchmark::State& state, bool whole) {
  vexa::SetDataFolder(VEXA_SOURCE_DIR);
  vexa::GameState g;
  vexa::TFormMain form(g, nullptr, nullptr, 1);
  g.player.x = 320;
  g.enemy.x = 220;
  for (int i = 0; i < 4; ++i) vexa::AddMessage(g.messageLog, "ボルトは静かに剣を構えた。風が止んだ。");
  int n = 0;
  for (auto _ : state) {
    if (++n % 10 == 0) vexa::AddMessage(g.messageLog, "ヒット！");
    g.player.attacking = (n % 3) == 0;
    g.enemy.guarding = (n % 4) == 0;
    if (whole) g.composed.reset();
    vexa::ComposeFrame(g);
    benchmark::DoNotOptimize(g.backbuffer->Pixels().data());
  }
  vexa::TBrixTimer::Clear();
}
void BM_ComposeFrame(benchmark::State& state) { ComposeBattleFrames(state, false); }
BENCHMARK(BM_ComposeFrame);
void BM_ComposeWholeFrame(benchmark::State& state) { ComposeBattleFrames(state, true); }
BENCHMARK(BM_ComposeWholeFrame);

// An idle frame: the pointer still, the panel at rest, only the fighters trembling.
void BM_ComposeIdleFrame(benchmark::State& state) {
  vexa::SetDataFolder(VEXA_SOURCE_DIR);
  vexa::GameState g;
  vexa::TFormMain form(g, nullptr, nullptr, 1);
  g.player.x = 420;
  g.enemy.x = 180;
  for (int i = 0; i < 20; ++i) vexa::ComposeFrame(g);
  for (auto _ : state) {
    vexa::ComposeFrame(g);
    benchmark::DoNotOptimize(g.backbuffer->Pixels().data());
  }
  vexa::TBrixTimer::Clear();
}
BENCHMARK(BM_ComposeIdleFrame);

}  // namespace

int main(int argc, char** argv) {
  return vexa::bench::RunWithRatios(argc, argv,
                                    {{{"BM_ComposeFrame", "BM_FloorFillAndCopy"}, "goal: at most 4"},
                                     {{"BM_ComposeFrame", "BM_ComposeWholeFrame"}, "what changed / the whole frame"},
                                     {{"BM_ComposeIdleFrame", "BM_FloorFillAndCopy"}, "an idle frame"}});
}
