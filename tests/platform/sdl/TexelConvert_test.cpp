#include "platform/sdl/TexelConvert.h"

#include <SDL_pixels.h>
#include <SDL_surface.h>
#include <gtest/gtest.h>

#include <vector>

namespace vexa {
namespace {

// 3 x 2 pixels, every channel value different so a swapped channel shows.
std::vector<ColorTriple> SmallFrame() {
  return {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255),
          Rgb(1, 2, 3),   Rgb(254, 128, 7), Rgb(255, 255, 255)};
}

TEST(TexelConvert, EveryPackedFormatMatchesSdlsOwnConversion) {
  const std::uint32_t formats[] = {SDL_PIXELFORMAT_ARGB8888, SDL_PIXELFORMAT_RGB888,   SDL_PIXELFORMAT_ABGR8888,
                                   SDL_PIXELFORMAT_BGR888,   SDL_PIXELFORMAT_RGBA8888, SDL_PIXELFORMAT_RGBX8888,
                                   SDL_PIXELFORMAT_BGRA8888, SDL_PIXELFORMAT_BGRX8888};
  const std::vector<ColorTriple> frame = SmallFrame();
  constexpr int width = 3, height = 2, pitch = 16;  // padded rows: 12 bytes of texels, 4 spare
  for (std::uint32_t format : formats) {
    TexelLayout layout;
    ASSERT_TRUE(TexelLayoutFor(format, layout)) << SDL_GetPixelFormatName(format);
    std::vector<unsigned char> texels(pitch * height, 0xAB);
    WidenFrame(frame.data(), width, height, layout, texels.data(), pitch);

    // SDL reads our texels back as 24-bit blue-green-red, the backbuffer's own layout.
    std::vector<ColorTriple> back(width * height);
    ASSERT_EQ(SDL_ConvertPixels(width, height, format, texels.data(), pitch, SDL_PIXELFORMAT_BGR24, back.data(),
                                width * 3),
              0);
    for (int i = 0; i < width * height; ++i) {
      EXPECT_TRUE(SameColor(back[i], frame[i])) << SDL_GetPixelFormatName(format) << " pixel " << i;
    }
    // The padding past each row is left alone.
    for (int y = 0; y < height; ++y)
      for (int b = width * 4; b < pitch; ++b) EXPECT_EQ(texels[y * pitch + b], 0xAB);

    // Where the format has alpha it must be opaque, or the blit would let black through.
    if (SDL_ISPIXELFORMAT_ALPHA(format)) {
      std::vector<std::uint32_t> argb(width * height);
      SDL_ConvertPixels(width, height, format, texels.data(), pitch, SDL_PIXELFORMAT_ARGB8888, argb.data(),
                        width * 4);
      for (std::uint32_t p : argb) EXPECT_EQ(p >> 24, 0xFFu) << SDL_GetPixelFormatName(format);
    }
  }
}

TEST(TexelConvert, Xrgb8888TexelsByHand) {
  TexelLayout layout;
  ASSERT_TRUE(TexelLayoutFor(SDL_PIXELFORMAT_RGB888, layout));
  const ColorTriple pixel = Rgb(0x12, 0x34, 0x56);
  std::uint32_t texel = 0;
  WidenFrame(&pixel, 1, 1, layout, &texel, 4);
  EXPECT_EQ(texel & 0x00FFFFFFu, 0x123456u);
}

// A target filled with a marker texel, so anything written outside the expected place shows.
struct Target {
  Target(std::int32_t w, std::int32_t h) : texels(std::size_t(w) * h, marker), view{texels.data(), w * 4, w, h} {}
  std::uint32_t At(std::int32_t x, std::int32_t y) const { return texels[std::size_t(y) * view.width + x]; }
  static constexpr std::uint32_t marker = 0x12345678u;
  std::vector<std::uint32_t> texels;
  TexelTarget view;
};

TEST(TexelConvert, ScaledPartsLandOnTheirBlocksAndNowhereElse) {
  // 5 x 3 game pixels, each a different colour.
  std::vector<ColorTriple> frame;
  for (int i = 0; i < 15; ++i) frame.push_back(Rgb(std::uint8_t(10 * i), std::uint8_t(200 - i), std::uint8_t(i)));
  TexelLayout layout;
  ASSERT_TRUE(TexelLayoutFor(SDL_PIXELFORMAT_RGB888, layout));
  struct Case {
    const char* name;
    ViewMap view;
    PixelRect part;
    std::int32_t targetW, targetH;
  };
  const Case cases[] = {
      {"whole, scale 1", {1, 0, 0}, {0, 0, 5, 3}, 5, 3},
      {"part, scale 3", {3, 0, 0}, {1, 1, 4, 3}, 15, 9},
      {"offset on black, scale 2", {2, 3, 1}, {0, 0, 5, 3}, 16, 8},
      {"cut at the right and bottom", {3, 0, 0}, {2, 0, 5, 3}, 13, 8},
      {"screen smaller than the game: cut at the left and top", {2, -3, -1}, {0, 0, 5, 3}, 6, 4},
      {"part wholly off the target", {1, 10, 0}, {0, 0, 5, 3}, 5, 3},
  };
  for (const Case& c : cases) {
    Target t(c.targetW, c.targetH);
    const PixelRect out = WidenScaled(frame.data(), 5, c.part, layout, c.view, t.view);
    for (std::int32_t y = 0; y < c.targetH; ++y) {
      for (std::int32_t x = 0; x < c.targetW; ++x) {
        std::int32_t gx = 0, gy = 0;
        WindowToGame(c.view, x, y, gx, gy);
        const bool inPart = gx >= c.part.left && gx < c.part.right && gy >= c.part.top && gy < c.part.bottom;
        const std::uint32_t want = inPart ? Texel(frame[std::size_t(gy) * 5 + gx], layout) : Target::marker;
        ASSERT_EQ(t.At(x, y), want) << c.name << " at " << x << "," << y;
        EXPECT_EQ(inPart, x >= out.left && x < out.right && y >= out.top && y < out.bottom)
            << c.name << ": the returned rectangle is not what was written, at " << x << "," << y;
      }
    }
  }
}

TEST(TexelConvert, FillingIsCutToTheTargetAndAroundLeavesTheInside) {
  Target t(4, 3);
  FillTexels(t.view, PixelRect{-2, 1, 9, 9}, 7u);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 4; ++x) EXPECT_EQ(t.At(x, y), y >= 1 ? 7u : Target::marker) << x << "," << y;

  struct Case {
    const char* name;
    PixelRect inside;
  };
  for (const Case& c : {Case{"centred", {2, 1, 5, 3}}, Case{"at a corner", {0, 0, 2, 2}},
                        Case{"the whole target", {0, 0, 6, 4}}, Case{"nothing", {}}}) {
    Target a(6, 4);
    FillAround(a.view, c.inside, 9u);
    for (std::int32_t y = 0; y < 4; ++y) {
      for (std::int32_t x = 0; x < 6; ++x) {
        const bool in = x >= c.inside.left && x < c.inside.right && y >= c.inside.top && y < c.inside.bottom;
        EXPECT_EQ(a.At(x, y), in ? Target::marker : 9u) << c.name << " at " << x << "," << y;
      }
    }
  }
}

TEST(TexelConvert, FormatsThatAreNotPacked32BitAreRefused) {
  TexelLayout layout;
  for (std::uint32_t format : {SDL_PIXELFORMAT_RGB24, SDL_PIXELFORMAT_BGR24, SDL_PIXELFORMAT_RGB565,
                               SDL_PIXELFORMAT_ARGB2101010, SDL_PIXELFORMAT_YV12, SDL_PIXELFORMAT_UNKNOWN})
    EXPECT_FALSE(TexelLayoutFor(format, layout)) << SDL_GetPixelFormatName(format);
}

}  // namespace
}  // namespace vexa
