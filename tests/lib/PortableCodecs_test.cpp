// The codecs the browser build uses instead of SDL, zlib and FreeType, checked against the
// desktop's: the same pictures, the same sums, the same text pixels.
#include <SDL.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "lib/BlockSums.h"
#include "lib/BmpPixels.h"
#include "lib/BrixBmp.h"
#include "lib/Checked.h"
#include "lib/Crc32.h"
#include "lib/FontFace.h"
#include "lib/GlyphFile.h"
#include "lib/PictureError.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

TEST(Crc32, MatchesZlibAtEveryLengthAndAlignment) {
  std::mt19937 noise(11);
  std::vector<std::uint8_t> bytes(300);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(noise());
  for (std::size_t start = 0; start < 9; ++start)
    for (std::size_t length = 0; start + length <= bytes.size(); length += 7) {
      const auto want = static_cast<std::uint32_t>(crc32_z(0, bytes.data() + start, length));
      ASSERT_EQ(Crc32(0, bytes.data() + start, length), want) << "start " << start << " length " << length;
    }
  // Continued from an earlier sum, as a stream would be.
  const auto whole = static_cast<std::uint32_t>(crc32_z(0, bytes.data(), bytes.size()));
  EXPECT_EQ(Crc32(Crc32(0, bytes.data(), 101), bytes.data() + 101, bytes.size() - 101), whole);
}

// The sum joined from block sums is the whole buffer's, whichever bytes changed since the
// last call and whatever the length: a kept block sum that went stale would show here.
TEST(SumByBlocks, EqualsTheWholeSumAsPartsChange) {
  constexpr std::size_t kB = BlockSums::kBlock;
  struct Case {
    const char* what;
    std::size_t size;
    std::vector<std::size_t> changed;  // bytes flipped before the second sum
  };
  const Case cases[] = {
      {"nothing changed", 40 * kB, {}},
      {"first byte", 40 * kB, {0}},
      {"last byte of a block", 40 * kB, {kB - 1}},
      {"last byte", 40 * kB, {40 * kB - 1}},
      {"scattered", 40 * kB, {3, 5 * kB + 9, 5 * kB + 10, 17 * kB}},
      {"a shorter last block", 10 * kB + 7, {10 * kB + 6, 2}},
      {"one short block", 5, {4}},
      {"one short block, unchanged", 5, {}},
      {"only the shorter last block", 3 * kB + 2, {3 * kB + 1}},
      {"one byte", 1, {0}},
      {"frame sized", 600 * 450 * 3, {1800 * 200 + 1000, 810000 - 1}},
  };
  std::mt19937 noise(5);
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes(c.size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(noise());
    BlockSums sums;
    EXPECT_EQ(SumByBlocks(sums, bytes.data(), bytes.size()),
              static_cast<std::uint32_t>(crc32_z(0, bytes.data(), bytes.size())))
        << c.what;
    // Changed, then changed back: the second round must have kept what it saw.
    for (int round = 0; round < 2; ++round) {
      for (std::size_t at : c.changed) bytes[at] ^= 0x5A;
      EXPECT_EQ(SumByBlocks(sums, bytes.data(), bytes.size()),
                static_cast<std::uint32_t>(crc32_z(0, bytes.data(), bytes.size())))
          << c.what << ", round " << round;
    }
  }
  // A new length starts over instead of joining blocks of the old one.
  BlockSums sums;
  std::vector<std::uint8_t> bytes(3 * kB, 3);
  SumByBlocks(sums, bytes.data(), bytes.size());
  bytes[0] = 4;
  EXPECT_EQ(SumByBlocks(sums, bytes.data(), 2 * kB + 1), static_cast<std::uint32_t>(crc32_z(0, bytes.data(), 2 * kB + 1)));
  EXPECT_EQ(SumByBlocks(sums, bytes.data(), 0), 0u);
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The game's own pictures: our reader gives SDL's pixels exactly. (Other programs' odd
// files are held against their reference decodings in PictureCorpus_test; there SDL's own
// reading of a questionable file is no authority.)
TEST(OwnBmpReader, GivesSdlsPixelsOnTheGamesPictures) {
  std::vector<fs::path> files;
  for (const fs::path& root : {fs::path(VEXA_SOURCE_DIR) / "dat"}) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
      if (it->is_regular_file() && it->path().extension() == ".bmp") files.push_back(it->path());
  }
  ASSERT_FALSE(files.empty());
  int compared = 0;
  for (const fs::path& file : files) {
    const std::vector<std::uint8_t> bytes = ReadBytes(file);
    Picture24 ours;
    try {
      ours = DecodeBmp(bytes, file.string());
    } catch (const PictureError&) {
      continue;
    }
    SDL_Surface* loaded = SDL_LoadBMP(file.string().c_str());
    if (!loaded) continue;
    SDL_Surface* sdl = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_BGR24, 0);
    SDL_FreeSurface(loaded);
    ASSERT_NE(sdl, nullptr);
    SCOPED_TRACE(file.string());
    ++compared;
    EXPECT_EQ(sdl->w, ours.width);
    EXPECT_EQ(sdl->h, ours.height);
    std::size_t differing = 0;
    for (int y = 0; y < sdl->h && y < ours.height; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(sdl->pixels) + static_cast<std::ptrdiff_t>(y) * sdl->pitch;
      for (int x = 0; x < sdl->w && x < ours.width; ++x) {
        const ColorTriple& c = ours.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(ours.width) + x];
        // BGR24 holds blue, green, red in memory order, as the game's pixels do.
        if (row[3 * x] != c.blue || row[3 * x + 1] != c.green || row[3 * x + 2] != c.red) ++differing;
      }
    }
    SDL_FreeSurface(sdl);
    EXPECT_EQ(differing, 0u);
  }
  EXPECT_GE(compared, 7);  // the six fighter pictures and the icon
}

// Texts in the game's own shapes, and a bold one with both bars.
TEST(GlyphFile, LaysOutExactlyAsTheDesktopTextCode) {
  const std::string face = "ＭＳ ゴシック";
  const std::vector<std::string> texts = {"ＨＰ 123/456", "「勝者」は…誰だ？", "Ｐ:stage 10 ★", "ｱｲｳ abc"};
  std::string all;
  for (const std::string& t : texts) all += t;
  const GlyphFile captured = CaptureGlyphs(face, {{16, fsBold}, {22, 0}}, CodePointsOf(all));
  const GlyphFile file = DecodeGlyphFile(EncodeGlyphFile(captured));
  for (const auto& [size, style] : {std::pair<std::int32_t, std::uint8_t>{16, fsBold}, {22, 0},
                                    {16, fsBold | fsUnderline | fsStrikeOut}}) {
    for (const std::string& text : texts) {
      SCOPED_TRACE(text + " at " + std::to_string(size) + " style " + std::to_string(style));
      TextLayout want, got;
      LayOutText(face, size, style, text, want);
      LayOutFromGlyphs(file, face, size, style, text, got);
      ASSERT_EQ(got.glyphs.size(), want.glyphs.size());
      for (std::size_t i = 0; i < want.glyphs.size(); ++i) {
        const GlyphImage& w = *want.glyphs[i].image;
        const GlyphImage& g = *got.glyphs[i].image;
        EXPECT_EQ(got.glyphs[i].cellX, want.glyphs[i].cellX);
        EXPECT_EQ(g.bytes, w.bytes);
        EXPECT_EQ(std::tie(g.top, g.left, g.bottom, g.right), std::tie(w.top, w.left, w.bottom, w.right));
        ASSERT_EQ(g.pixels.size(), w.pixels.size());
        for (std::size_t k = 0; k < w.pixels.size(); ++k)
          EXPECT_TRUE(g.pixels[k].row == w.pixels[k].row && g.pixels[k].col == w.pixels[k].col) << "pixel " << k;
      }
    }
  }
}

TEST(GlyphFile, RefusesWhatItDoesNotHold) {
  const GlyphFile file = DecodeGlyphFile(EncodeGlyphFile(CaptureGlyphs("ＭＳ ゴシック", {{20, fsBold}}, CodePointsOf("あ"))));
  TextLayout layout;
  struct Case {
    const char* what;
    std::string face;
    std::int32_t size;
    std::uint8_t style;
    std::string text;
  };
  for (const Case& c : {Case{"another face", "IPAGothic", 20, fsBold, "a"},
                        Case{"another size", "ＭＳ ゴシック", 16, fsBold, "a"},
                        Case{"another shape", "ＭＳ ゴシック", 20, 0, "a"},
                        Case{"a character never captured", "ＭＳ ゴシック", 20, fsBold, "い"}}) {
    SCOPED_TRACE(c.what);
    EXPECT_THROW(LayOutFromGlyphs(file, c.face, c.size, c.style, c.text, layout), VexaError);
  }
  LayOutFromGlyphs(file, "ＭＳ ゴシック", 20, fsBold, "aあ~", layout);
  EXPECT_EQ(layout.glyphs.size(), 3u);
}

// The bits of a glyph are padded to whole bytes; a file whose padding is not zero still gives
// the glyph exactly, pixel for pixel and in order.
TEST(GlyphFile, ReadsEachGlyphsPixelsInOrderWhateverItsPadding) {
  const GlyphFile captured = CaptureGlyphs("ＭＳ ゴシック", {{20, fsBold}}, CodePointsOf("あ"));
  const GlyphImage& last = captured.sets.at(0).glyphs.rbegin()->second;  // あ, the file's last bits
  const std::size_t area = static_cast<std::size_t>((last.right - last.left) * (last.bottom - last.top));
  ASSERT_NE(area % 8, 0u) << "the case needs padding in the file's last byte";
  std::string padded = EncodeGlyphFile(captured);
  padded.back() = static_cast<char>(padded.back() | static_cast<char>(0xFF << (area % 8)));
  for (const std::string& bytes : {EncodeGlyphFile(captured), padded}) {
    const GlyphFile file = DecodeGlyphFile(bytes);
    for (const auto& [cp, want] : captured.sets.at(0).glyphs) {
      const GlyphImage& got = file.sets.at(0).glyphs.at(cp);
      ASSERT_EQ(got.pixels.size(), want.pixels.size()) << "U+" << std::hex << static_cast<std::uint32_t>(cp);
      for (std::size_t i = 0; i < want.pixels.size(); ++i)
        EXPECT_EQ(std::tie(got.pixels[i].row, got.pixels[i].col), std::tie(want.pixels[i].row, want.pixels[i].col));
    }
  }
}

TEST(GlyphFile, RefusesDamagedBytes) {
  const std::string good = EncodeGlyphFile(CaptureGlyphs("ＭＳ ゴシック", {{20, fsBold}}, CodePointsOf("")));
  std::string trailing = good + "x";
  std::string badMagic = good;
  badMagic[0] = 'X';
  std::string hugeCount = good;
  hugeCount[hugeCount.find("ゴシック") + std::string("ゴシック").size()] = '\xFF';  // the set count
  for (const std::string& bytes : {good.substr(0, good.size() / 2), good.substr(0, good.size() - 1), trailing,
                                   badMagic, hugeCount, std::string()})
    EXPECT_THROW(DecodeGlyphFile(bytes), VexaError) << bytes.size() << " bytes";
  EXPECT_NO_THROW(DecodeGlyphFile(good));
}

}  // namespace
}  // namespace vexa
