// Presenting a step's frame in the window, without the display: what the game's process
// spends between the finished backbuffer and the window surface. The floor is the one
// thing an exact present cannot skip: reading the new frame and the one shown before.
#include <cstring>
#include <iterator>
#include <vector>

#include "Ratio.h"
#include "lib/BrixTimer.h"
#include "lib/GamePaths.h"
#include "platform/shared/FrameDiff.h"
#include "platform/sdl/TexelConvert.h"
#include "session/Session.h"

namespace {

constexpr int width = 600, height = 450;

// Successive frames of the first battle as it opens, the player idle: the fighters
// tremble and the opening lines run in the panel. Many of them, so that as in the game
// the frame shown before is not still in the cache.
struct IdleFrames {
  IdleFrames() {
    vexa::SetDataFolder(VEXA_SOURCE_DIR);
    vexa::SessionOptions options;
    options.seed = 1;
    struct Keep : vexa::PaintBox {
      void Show(const vexa::TBrixBitmap&, const vexa::FrameDamage& d) override { damage = d; }
      vexa::FrameDamage damage;
    } keep;
    options.screen = &keep;
    vexa::Session session(options);
    const vexa::TBrixBitmap& shown = *session.Game().backbuffer;
    for (std::size_t i = 0; i < std::size(frames); ++i) {
      session.Step();
      frames[i].assign(shown.Pixels().begin(), shown.Pixels().end());
      damage[i] = keep.damage.rects;
    }
  }
  const std::vector<vexa::ColorTriple>& operator[](std::size_t i) const { return frames[i % std::size(frames)]; }
  const std::vector<vexa::PixelRect>& Damage(std::size_t i) const { return damage[i % std::size(damage)]; }
  std::vector<vexa::ColorTriple> frames[40];
  std::vector<vexa::PixelRect> damage[40];
};

struct Window {
  std::vector<std::uint32_t> texels = std::vector<std::uint32_t>(std::size_t(width) * height);
  vexa::TexelTarget target{texels.data(), width * 4, width, height};
};

void BM_FloorReadTwoFrames(benchmark::State& state) {
  const IdleFrames idle;
  std::size_t next = 1;
  int equal = 0;
  for (auto _ : state) {
    const auto& before = idle[next - 1];
    const auto& now = idle[next++];
    for (int y = 0; y < height; ++y)
      equal += std::memcmp(before.data() + y * width, now.data() + y * width, width * 3) == 0;
    benchmark::DoNotOptimize(equal);
  }
}
BENCHMARK(BM_FloorReadTwoFrames);

// Every pixel converted, as a present that does not look at what changed must.
void BM_WidenWholeFrame(benchmark::State& state) {
  const IdleFrames idle;
  Window window;
  vexa::TexelLayout layout;
  std::size_t next = 0;
  for (auto _ : state) {
    vexa::WidenFrame(idle[next++].data(), width, height, layout, window.texels.data(), width * 4);
    benchmark::DoNotOptimize(window.texels.data());
  }
}
BENCHMARK(BM_WidenWholeFrame);

// What the window does at each idle step: find the changed pieces, keep them, convert
// only them.
void BM_PresentIdleStep(benchmark::State& state) {
  const IdleFrames idle;
  Window window;
  vexa::TexelLayout layout;
  vexa::ShownFrame shown;
  std::vector<vexa::RowRun> runs;
  vexa::TakeFrame(shown, idle[0].data(), width, height, runs);
  std::int64_t pixels = 0;
  std::size_t next = 1;
  for (auto _ : state) {
    vexa::TakeFrame(shown, idle[next++].data(), width, height, runs);
    for (const vexa::RowRun& run : runs) {
      const vexa::PixelRect part{run.left, run.row, run.right, run.row + 1};
      vexa::WidenScaled(shown.pixels.data(), width, part, layout, vexa::ViewMap{}, window.target);
      pixels += run.right - run.left;
    }
    benchmark::DoNotOptimize(window.texels.data());
  }
  state.counters["converted pixels"] = static_cast<double>(pixels) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PresentIdleStep);

// What the window does at each idle step when the frame says what changed: convert those
// parts straight from the frame, nothing else read and nothing kept.
void BM_PresentIdleStepFromDamage(benchmark::State& state) {
  const IdleFrames idle;
  Window window;
  vexa::TexelLayout layout;
  std::int64_t pixels = 0;
  std::size_t next = 1;
  for (auto _ : state) {
    const std::vector<vexa::PixelRect>& parts = idle.Damage(next);
    const vexa::ColorTriple* frame = idle[next++].data();
    for (const vexa::PixelRect& part : parts) {
      vexa::WidenScaled(frame, width, part, layout, vexa::ViewMap{}, window.target);
      pixels += std::int64_t{part.right - part.left} * (part.bottom - part.top);
    }
    benchmark::DoNotOptimize(window.texels.data());
  }
  state.counters["converted pixels"] = static_cast<double>(pixels) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PresentIdleStepFromDamage);

}  // namespace

int main(int argc, char** argv) {
  return vexa::bench::RunWithRatios(argc, argv,
                                    {{{"BM_PresentIdleStep", "BM_FloorReadTwoFrames"}, "goal: at most 2"},
                                     {{"BM_PresentIdleStepFromDamage", "BM_PresentIdleStep"}, "parts named / frames compared"},
                                     {{"BM_WidenWholeFrame", "BM_FloorReadTwoFrames"}, "converting every pixel"}});
}
