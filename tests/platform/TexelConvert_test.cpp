#include "platform/TexelConvert.h"

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

TEST(TexelConvert, FormatsThatAreNotPacked32BitAreRefused) {
  TexelLayout layout;
  for (std::uint32_t format : {SDL_PIXELFORMAT_RGB24, SDL_PIXELFORMAT_BGR24, SDL_PIXELFORMAT_RGB565,
                               SDL_PIXELFORMAT_ARGB2101010, SDL_PIXELFORMAT_YV12, SDL_PIXELFORMAT_UNKNOWN})
    EXPECT_FALSE(TexelLayoutFor(format, layout)) << SDL_GetPixelFormatName(format);
}

}  // namespace
}  // namespace vexa
