// Reading the glyph file the browser and Windows editions start with: every glyph the game's
// texts use, at the sizes it draws them, decoded once per start-up before the first frame.
#include <fstream>
#include <iterator>
#include <string>

#include "Ratio.h"
#include "lib/BrixBmp.h"
#include "lib/GlyphFile.h"

namespace {

std::string SourceText(const char* path) {
  std::ifstream in(std::string(VEXA_SOURCE_DIR) + "/" + path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Captured as the build captures it: the texts' characters, bold, at 16, 20 and 22.
const std::string& GameGlyphFile() {
  static const std::string bytes = vexa::EncodeGlyphFile(vexa::CaptureGlyphs(
      "ＭＳ ゴシック", {{16, vexa::fsBold}, {20, vexa::fsBold}, {22, vexa::fsBold}},
      vexa::CodePointsOf(SourceText("record/TextsJapanese.cpp") + SourceText("record/TextsEnglish.cpp"))));
  return bytes;
}

void BM_DecodeGlyphFile(benchmark::State& state) {
  const std::string& bytes = GameGlyphFile();
  for (auto _ : state) {
    vexa::GlyphFile file = vexa::DecodeGlyphFile(bytes);
    benchmark::DoNotOptimize(file.sets.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeGlyphFile)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return vexa::bench::RunWithRatios(argc, argv, {}); }
