// One message line drawn with the soft rim (what the message panel does every frame) against
// SDL2_ttf rendering the same line, same font file, same size, measured side by side.
#include <SDL2/SDL_ttf.h>

#include <cstdio>
#include <string>

#include "Ratio.h"
#include "lib/BrixBmp.h"
#include "lib/FontFace.h"

namespace {

// 25 full-width characters: 600 pixels at size 22 in bold.
const char* const kLine = "ボルトは静かに剣を構えた。次の一撃で全てが決まる。";
constexpr int kSize = 22;

void BM_DrawTextSoft(benchmark::State& state) {
  vexa::TBrixBitmap frame;
  frame.SetSize(600, 450);
  frame.SetFontName("ＭＳ ゴシック");
  frame.SetFontStyle(vexa::fsBold);
  frame.SetFontSize(kSize);
  frame.SetTextColor(vexa::Rgb(0, 0, 0));
  frame.SetSoftText(true);
  frame.DrawText(0, 120, kLine);  // the glyphs are cached from here on, as in play
  for (auto _ : state) {
    frame.DrawText(0, 120, kLine);
    benchmark::DoNotOptimize(frame.Pixels().data());
  }
}
BENCHMARK(BM_DrawTextSoft);

void BM_TtfRenderUtf8Blended(benchmark::State& state) {
  if (TTF_Init() != 0) {
    state.SkipWithError(TTF_GetError());
    return;
  }
  const std::string file = vexa::FontFileFor("ＭＳ ゴシック");
  TTF_Font* font = TTF_OpenFont(file.c_str(), kSize);
  if (font == nullptr) {
    state.SkipWithError(TTF_GetError());
    TTF_Quit();
    return;
  }
  TTF_SetFontStyle(font, TTF_STYLE_BOLD);
  const SDL_Color black{0, 0, 0, 255};
  SDL_FreeSurface(TTF_RenderUTF8_Blended(font, kLine, black));  // fills SDL_ttf's glyph cache
  for (auto _ : state) {
    SDL_Surface* line = TTF_RenderUTF8_Blended(font, kLine, black);
    benchmark::DoNotOptimize(line);
    SDL_FreeSurface(line);
  }
  TTF_CloseFont(font);
  TTF_Quit();
}
BENCHMARK(BM_TtfRenderUtf8Blended);

}  // namespace

int main(int argc, char** argv) {
  return vexa::bench::RunWithRatios(
      argc, argv, {{{"BM_DrawTextSoft", "BM_TtfRenderUtf8Blended"}, "soft-edged line vs SDL2_ttf blended; goal: below 1"}});
}
