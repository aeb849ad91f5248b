// Frames written as PNG.
#include "lib/PngFile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "lib/Checked.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

std::uint32_t BigEndian32(const std::string& s, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3]));
}

struct Png {
  std::uint32_t width = 0, height = 0;
  int depth = 0, colourType = 0, interlace = 0;
  std::vector<unsigned char> rgb;  // unfiltered rows, red green blue
  std::vector<std::string> chunks;
};

int Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// A reader for the 8-bit RGB files the game writes: every chunk's CRC is checked, and
// all five row filters are undone.
Png ReadPng(const std::string& bytes) {
  Png png;
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
  std::string idat;
  for (std::size_t at = 8; at + 12 <= bytes.size();) {
    const std::uint32_t length = BigEndian32(bytes, at);
    const std::string type = bytes.substr(at + 4, 4);
    EXPECT_LE(at + 12 + length, bytes.size());
    const std::string body = bytes.substr(at + 8, length);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + at + 4), 4 + length);
    EXPECT_EQ(BigEndian32(bytes, at + 8 + length), crc) << type;
    png.chunks.push_back(type);
    if (type == "IHDR") {
      png.width = BigEndian32(body, 0);
      png.height = BigEndian32(body, 4);
      png.depth = static_cast<unsigned char>(body[8]);
      png.colourType = static_cast<unsigned char>(body[9]);
      png.interlace = static_cast<unsigned char>(body[12]);
    }
    if (type == "IDAT") idat += body;
    at += 12 + length;
  }
  const std::size_t stride = 3 * png.width;
  std::vector<unsigned char> raw((stride + 1) * png.height);
  uLongf rawSize = raw.size();
  EXPECT_EQ(uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(idat.data()), idat.size()), Z_OK);
  EXPECT_EQ(rawSize, raw.size());
  png.rgb.assign(stride * png.height, 0);
  for (std::size_t r = 0; r < png.height; ++r) {
    const unsigned char filter = raw[r * (stride + 1)];
    const unsigned char* in = &raw[r * (stride + 1) + 1];
    unsigned char* out = &png.rgb[r * stride];
    const unsigned char* prior = r > 0 ? &png.rgb[(r - 1) * stride] : nullptr;
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= 3 ? out[i - 3] : 0, b = prior ? prior[i] : 0, c = (prior && i >= 3) ? prior[i - 3] : 0;
      const int predictor = filter == 0 ? 0 : filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2 : Paeth(a, b, c);
      EXPECT_LE(filter, 4);
      out[i] = static_cast<unsigned char>(in[i] + predictor);
    }
  }
  return png;
}

TEST(WritePng, WritesTheFrameAsEightBitRgb) {
  TBrixBitmap frame;
  frame.SetSize(5, 3);
  for (std::int32_t r = 0; r < 3; ++r)
    for (std::int32_t c = 0; c < 5; ++c)
      frame.rows[r][c] = Rgb(static_cast<std::uint8_t>(10 * c), static_cast<std::uint8_t>(100 + r),
                             static_cast<std::uint8_t>(250 - c - r));
  test::TempFolder folder;
  const std::string path = (folder.Path() / "frame.png").string();
  WritePng(path, frame);
  const Png png = ReadPng(test::ReadFile(path));
  EXPECT_EQ(png.width, 5u);
  EXPECT_EQ(png.height, 3u);
  EXPECT_EQ(png.depth, 8);
  EXPECT_EQ(png.colourType, 2);
  EXPECT_EQ(png.interlace, 0);
  EXPECT_EQ(png.chunks.front(), "IHDR");
  EXPECT_EQ(png.chunks.back(), "IEND");
  for (std::int32_t r = 0; r < 3; ++r)
    for (std::int32_t c = 0; c < 5; ++c) {
      const std::size_t at = static_cast<std::size_t>(r * 5 + c) * 3;
      EXPECT_EQ(png.rgb[at], 10 * c);
      EXPECT_EQ(png.rgb[at + 1], 100 + r);
      EXPECT_EQ(png.rgb[at + 2], 250 - c - r);
    }
}

TEST(WritePng, RefusesAnEmptySurfaceAndAnUnwritablePath) {
  test::TempFolder folder;
  TBrixBitmap empty;
  try {
    WritePng((folder.Path() / "empty.png").string(), empty);
    ADD_FAILURE() << "wrote an empty picture";
  } catch (const VexaError& e) {
    EXPECT_NE(std::string(e.what()).find("empty.png"), std::string::npos) << e.what();
  }
  TBrixBitmap frame;
  frame.SetSize(2, 2);
  const std::string nowhere = (folder.Path() / "no" / "such" / "folder.png").string();
  try {
    WritePng(nowhere, frame);
    ADD_FAILURE() << "wrote into a missing folder";
  } catch (const VexaError& e) {
    EXPECT_NE(std::string(e.what()).find(nowhere), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace vexa
