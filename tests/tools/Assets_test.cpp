// Checks of the committed pictures and sounds in dat/, read straight from the files with
// small readers of their own so a fault in the game's loaders cannot hide a bad asset.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/Files.h"

namespace vexa {
namespace {

std::string DatPath(const std::string& name) { return std::string(VEXA_SOURCE_DIR) + "/dat/" + name; }

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(at + std::size_t(i)));
  return v;
}

std::uint32_t Be32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(b.at(at + std::size_t(i)));
  return v;
}

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

constexpr Rgb kKey{255, 0, 0};
constexpr Rgb kLine{0, 0, 0};
constexpr Rgb kFill{254, 254, 254};

struct Picture {
  std::string error;  // empty when the file is a plain 24-bit bottom-up BMP
  int width = 0, height = 0;
  std::vector<Rgb> px;  // top row first
  std::vector<int> alpha;  // PNG with an alpha channel only
  Rgb at(int x, int y) const { return px[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

Picture BadPicture(std::string why) {
  Picture p;
  p.error = std::move(why);
  return p;
}

// Accepts only what the game's assets promise: 40-byte header, 24 bits, no compression,
// bottom-up rows padded to four bytes, all inside the file.
Picture ReadBmp(const std::string& path) {
  Picture p;
  const std::string b = test::ReadFile(path);
  if (b.size() < 54 || b.compare(0, 2, "BM") != 0) return BadPicture("not a BMP");
  if (Le(b, 14, 4) != 40) return BadPicture("header is not BITMAPINFOHEADER");
  const auto w = static_cast<std::int32_t>(Le(b, 18, 4));
  const auto h = static_cast<std::int32_t>(Le(b, 22, 4));
  if (Le(b, 26, 2) != 1 || Le(b, 28, 2) != 24) return BadPicture("not 24 bits per pixel");
  if (Le(b, 30, 4) != 0) return BadPicture("compressed");
  if (w <= 0 || h <= 0) return BadPicture("not a bottom-up picture with a positive size");
  const std::size_t stride = (std::size_t(w) * 3 + 3) & ~std::size_t{3};
  const std::size_t offset = Le(b, 10, 4);
  if (offset < 54 || offset + stride * std::size_t(h) > b.size()) return BadPicture("pixel rows run past the file");
  p.width = w;
  p.height = h;
  p.px.resize(std::size_t(w) * std::size_t(h));
  for (int y = 0; y < h; ++y) {
    const std::size_t row = offset + stride * std::size_t(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const std::size_t at = row + std::size_t(x) * 3;
      p.px[std::size_t(y) * std::size_t(w) + std::size_t(x)] = {static_cast<unsigned char>(b[at + 2]),
                                                                static_cast<unsigned char>(b[at + 1]),
                                                                static_cast<unsigned char>(b[at])};
    }
  }
  return p;
}

// 8-bit RGB or RGBA PNG, any of the five row filters; enough to compare the desktop icons.
Picture ReadPng(const std::string& path) {
  const std::string b = test::ReadFile(path);
  if (b.size() < 8 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return BadPicture("not a PNG");
  Picture p;
  std::string idat;
  std::size_t channels = 3;
  for (std::size_t at = 8; at + 12 <= b.size();) {
    const std::uint32_t len = Be32(b, at);
    const std::string type = b.substr(at + 4, 4);
    if (at + 12 + len > b.size()) return BadPicture("chunk runs past the file");
    const std::string data = b.substr(at + 8, len);
    const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(b.data() + at + 4), uInt(len + 4));
    if (crc != Be32(b, at + 8 + len)) return BadPicture("bad CRC in " + type);
    if (type == "IHDR") {
      p.width = int(Be32(data, 0));
      p.height = int(Be32(data, 4));
      if (data.at(8) != 8 || (data.at(9) != 2 && data.at(9) != 6) || data.at(12) != 0)
        return BadPicture("not 8-bit RGB or RGBA without interlace");
      channels = data.at(9) == 6 ? 4 : 3;
    } else if (type == "IDAT") {
      idat += data;
    }
    at += 12 + len;
  }
  const std::size_t stride = std::size_t(p.width) * channels;
  std::vector<unsigned char> raw((stride + 1) * std::size_t(p.height));
  uLongf rawLen = raw.size();
  if (uncompress(raw.data(), &rawLen, reinterpret_cast<const Bytef*>(idat.data()), idat.size()) != Z_OK ||
      rawLen != raw.size())
    return BadPicture("pixel data does not inflate to the picture's size");
  std::vector<unsigned char> prev(stride, 0), cur(stride);
  for (int y = 0; y < p.height; ++y) {
    const unsigned char* row = raw.data() + std::size_t(y) * (stride + 1);
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= channels ? cur[i - channels] : 0, up = prev[i], c = i >= channels ? prev[i - channels] : 0;
      int pred = 0;
      switch (row[0]) {
        case 0: break;
        case 1: pred = a; break;
        case 2: pred = up; break;
        case 3: pred = (a + up) / 2; break;
        case 4: {
          const int pa = std::abs(up - c), pb = std::abs(a - c), pc = std::abs(a + up - 2 * c);
          pred = pa <= pb && pa <= pc ? a : pb <= pc ? up : c;
          break;
        }
        default: return BadPicture("unknown row filter");
      }
      cur[i] = static_cast<unsigned char>(row[1 + i] + pred);
    }
    for (std::size_t x = 0; x < std::size_t(p.width); ++x) {
      p.px.push_back({cur[x * channels], cur[x * channels + 1], cur[x * channels + 2]});
      if (channels == 4) p.alpha.push_back(cur[x * 4 + 3]);
    }
    prev = cur;
  }
  return p;
}

// Sizes the game's layout depends on: 64 wide for the mirrored enemy, and the faces laid
// over the head at the head's own offsets.
struct PictureCase {
  const char* file;
  int width, height;
};

const PictureCase kPictures[] = {
    {"vexa_head.bmp", 64, 56},  {"vexa_body.bmp", 64, 60},  {"vexa_foot.bmp", 64, 28},
    {"vexa_face.bmp", 64, 56},  {"vexa_face2.bmp", 64, 56}, {"vexa_slash.bmp", 64, 64},
    {"vexa_icon.bmp", 64, 64},
};

TEST(AssetsPictures, EveryPictureIsAPlain24BitBmpOfItsSize) {
  for (const PictureCase& c : kPictures) {
    SCOPED_TRACE(c.file);
    const Picture p = ReadBmp(DatPath(c.file));
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
  }
}

// The feet stand at 40 below the fighter's reference line of 300, tremble down by up to
// one pixel, and must stay clear of the status bars that begin at 380.
TEST(AssetsPictures, FeetStayAboveTheStatusBars) {
  const Picture foot = ReadBmp(DatPath("vexa_foot.bmp"));
  ASSERT_EQ(foot.error, "");
  int lowest = -1;
  for (int y = 0; y < foot.height; ++y)
    for (int x = 0; x < foot.width; ++x)
      if (!(foot.at(x, y) == kKey)) lowest = y;
  EXPECT_LT(300 + 40 + lowest + 1, 380);
}

// Body parts hold exactly three colours: the game recolours the fill marker and keys out
// the lines, so any other colour would be drawn unchanged in every fighter's colour.
// Each fill is enclosed by a rim of lines at least two pixels deep, so that the parts'
// independent one-pixel tremble never lets a fill touch the background unlined.
TEST(AssetsPictures, BodyPartsAreFilledSilhouettesWithAThickRim) {
  for (const char* file : {"vexa_head.bmp", "vexa_body.bmp", "vexa_foot.bmp"}) {
    SCOPED_TRACE(file);
    const Picture p = ReadBmp(DatPath(file));
    ASSERT_EQ(p.error, "");
    int lines = 0, fills = 0, thinRim = 0, otherColours = 0;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        const Rgb c = p.at(x, y);
        if (c == kLine) ++lines;
        if (c == kFill) ++fills;
        if (!(c == kLine || c == kFill || c == kKey)) ++otherColours;
        if (!(c == kFill)) continue;
        for (int dy = -2; dy <= 2; ++dy)
          for (int dx = -2; dx <= 2; ++dx) {
            if (dx * dx + dy * dy > 4) continue;
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= p.width || ny >= p.height || p.at(nx, ny) == kKey) ++thinRim;
          }
      }
    }
    EXPECT_EQ(otherColours, 0);
    EXPECT_GT(fills, 0);
    EXPECT_GT(lines, 0);
    EXPECT_EQ(thinRim, 0);
  }
}

// Faces and slash are drawn as they are: they need transparent red around what they show,
// and the fill marker would only be a near-white that nothing recolours.
TEST(AssetsPictures, FacesAndSlashAreTransparentAroundTheirDrawing) {
  for (const char* file : {"vexa_face.bmp", "vexa_face2.bmp", "vexa_slash.bmp"}) {
    SCOPED_TRACE(file);
    const Picture p = ReadBmp(DatPath(file));
    ASSERT_EQ(p.error, "");
    const auto keyed = std::count(p.px.begin(), p.px.end(), kKey);
    EXPECT_GT(keyed, std::ptrdiff_t(p.px.size() / 2));
    EXPECT_LT(keyed, std::ptrdiff_t(p.px.size()));
    EXPECT_EQ(std::count(p.px.begin(), p.px.end(), kFill), 0);
  }
}

TEST(AssetsPictures, GuardFaceIsClearlyDifferent) {
  const Picture face = ReadBmp(DatPath("vexa_face.bmp"));
  const Picture guard = ReadBmp(DatPath("vexa_face2.bmp"));
  ASSERT_EQ(face.error, "");
  ASSERT_EQ(guard.error, "");
  ASSERT_EQ(face.px.size(), guard.px.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < face.px.size(); ++i) differing += face.px[i] == guard.px[i] ? 0 : 1;
  EXPECT_GT(differing, 150u);
}

// The slash is drawn under the body from 25 pixels ahead of the head; some of it must
// lie ahead of the head's foremost pixel or no swing would show.
TEST(AssetsPictures, SlashReachesAheadOfTheHead) {
  const Picture head = ReadBmp(DatPath("vexa_head.bmp"));
  const Picture slash = ReadBmp(DatPath("vexa_slash.bmp"));
  ASSERT_EQ(head.error, "");
  ASSERT_EQ(slash.error, "");
  int headFront = head.width;
  for (int y = 0; y < head.height; ++y)
    for (int x = 0; x < head.width; ++x)
      if (!(head.at(x, y) == kKey)) headFront = std::min(headFront, x);
  int ahead = 0;
  for (int y = 0; y < slash.height; ++y)
    for (int x = 0; x < std::min(slash.width, 25 + headFront); ++x) ahead += slash.at(x, y) == kKey ? 0 : 1;
  EXPECT_GT(ahead, 100);
}

// The face and the head tremble by a pixel each on their own. At every offset between them
// each feature must lie on the head's fill: on its outline it would poke out of the head.
// Only the guard's sweat drop floats beside the head.
TEST(AssetsPictures, FacesStayInsideTheHeadAtEveryTremble) {
  const Picture head = ReadBmp(DatPath("vexa_head.bmp"));
  ASSERT_EQ(head.error, "");
  const Rgb sweat[] = {{140, 210, 255}, {30, 96, 210}};
  for (const char* file : {"vexa_face.bmp", "vexa_face2.bmp"}) {
    SCOPED_TRACE(file);
    const Picture face = ReadBmp(DatPath(file));
    ASSERT_EQ(face.error, "");
    int outside = 0;
    std::string first;
    for (int y = 0; y < face.height; ++y)
      for (int x = 0; x < face.width; ++x) {
        const Rgb c = face.at(x, y);
        if (c == kKey || c == sweat[0] || c == sweat[1]) continue;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int hx = x + dx, hy = y + dy;
            if (hx >= 0 && hy >= 0 && hx < head.width && hy < head.height && head.at(hx, hy) == kFill) continue;
            if (outside++ == 0) first = std::to_string(x) + "," + std::to_string(y);
          }
      }
    EXPECT_EQ(outside, 0) << "first at " << first;
  }
}

// Dark strokes never touch the body's colour directly: a pale rim keeps them readable on
// the dark and black stages, where ink on the body would vanish.
TEST(AssetsPictures, DarkFaceStrokesHaveALightRim) {
  for (const char* file : {"vexa_face.bmp", "vexa_face2.bmp"}) {
    SCOPED_TRACE(file);
    const Picture face = ReadBmp(DatPath(file));
    ASSERT_EQ(face.error, "");
    int dark = 0, bare = 0;
    for (int y = 0; y < face.height; ++y)
      for (int x = 0; x < face.width; ++x) {
        const Rgb c = face.at(x, y);
        if (c == kKey || 2 * c.r + 5 * c.g + c.b > 8 * 60) continue;  // not dark
        ++dark;
        const int nx[] = {x - 1, x + 1, x, x}, ny[] = {y, y, y - 1, y + 1};
        for (int k = 0; k < 4; ++k)
          if (nx[k] < 0 || ny[k] < 0 || nx[k] >= face.width || ny[k] >= face.height || face.at(nx[k], ny[k]) == kKey)
            ++bare;
      }
    EXPECT_GT(dark, 40);
    EXPECT_EQ(bare, 0);
  }
}

// The slash is three claw marks: three separate strokes, more than two pixels apart so
// they stay three at play size, each ending inside the picture rather than cut at its edge.
TEST(AssetsPictures, SlashIsThreeSeparateClawMarksInsideThePicture) {
  const Picture p = ReadBmp(DatPath("vexa_slash.bmp"));
  ASSERT_EQ(p.error, "");
  std::vector<int> mark(p.px.size(), 0);
  int marks = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::size_t start = std::size_t(y) * std::size_t(p.width) + std::size_t(x);
      if (p.px[start] == kKey || mark[start]) continue;
      mark[start] = ++marks;
      // Pixels up to two apart count as one stroke: a gap must be three or more.
      std::vector<std::size_t> todo{start};
      while (!todo.empty()) {
        const int cx = int(todo.back() % std::size_t(p.width)), cy = int(todo.back() / std::size_t(p.width));
        todo.pop_back();
        for (int dy = -2; dy <= 2; ++dy)
          for (int dx = -2; dx <= 2; ++dx) {
            const int nx = cx + dx, ny = cy + dy;
            if (nx < 0 || ny < 0 || nx >= p.width || ny >= p.height || p.at(nx, ny) == kKey) continue;
            const std::size_t n = std::size_t(ny) * std::size_t(p.width) + std::size_t(nx);
            if (!mark[n]) {
              mark[n] = marks;
              todo.push_back(n);
            }
          }
      }
    }
  EXPECT_EQ(marks, 3);
  for (int i = 0; i < p.width; ++i) {
    EXPECT_EQ(p.at(i, 0), kKey);
    EXPECT_EQ(p.at(i, p.height - 1), kKey);
    EXPECT_EQ(p.at(0, i), kKey);
    EXPECT_EQ(p.at(p.width - 1, i), kKey);
  }
}

// The placements of the three poses: part, dx, dy.
struct Placement {
  const char* file;
  int dx, dy;
};

struct PoseCase {
  const char* name;
  std::vector<Placement> parts;
};

const PoseCase kPoses[] = {
    {"normal",
     {{"vexa_foot.bmp", 5, 40}, {"vexa_head.bmp", 0, 0}, {"vexa_body.bmp", 36, 0}, {"vexa_foot.bmp", 20, 40},
      {"vexa_foot.bmp", 46, 40}, {"vexa_foot.bmp", 61, 40}, {"vexa_foot.bmp", 80, 18}, {"vexa_foot.bmp", 84, 12}}},
    {"attack",
     {{"vexa_head.bmp", 0, 0}, {"vexa_body.bmp", 36, 0}, {"vexa_foot.bmp", 20, 40}, {"vexa_foot.bmp", 46, 40},
      {"vexa_foot.bmp", 61, 40}, {"vexa_foot.bmp", 80, 18}, {"vexa_foot.bmp", 84, 12}}},
    {"guard",
     {{"vexa_head.bmp", 0, 5}, {"vexa_body.bmp", 36, 5}, {"vexa_foot.bmp", 80, 23}, {"vexa_foot.bmp", 84, 17}}},
};

// Assembled by each pose, the parts must make one creature: every part overlaps the rest
// even when each is shrunk by a pixel, so no tremble can set a part apart.
TEST(AssetsPictures, PartsJoinIntoOneCreatureInEveryPose) {
  const int w = 200, h = 120, ox = 20, oy = 20;
  for (const PoseCase& pose : kPoses) {
    SCOPED_TRACE(pose.name);
    std::vector<int> owner(std::size_t(w) * h, 0);  // 0 empty, else a bit per part
    for (std::size_t k = 0; k < pose.parts.size(); ++k) {
      const Placement& pl = pose.parts[k];
      const Picture p = ReadBmp(DatPath(pl.file));
      ASSERT_EQ(p.error, "");
      auto solid = [&](int x, int y) { return x >= 0 && y >= 0 && x < p.width && y < p.height && !(p.at(x, y) == kKey); };
      for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
          const bool core = solid(x, y) && solid(x - 1, y) && solid(x + 1, y) && solid(x, y - 1) && solid(x, y + 1);
          if (core) owner[std::size_t(oy + pl.dy + y) * w + std::size_t(ox + pl.dx + x)] |= 1 << k;
        }
    }
    // Flood the shrunk silhouettes from the first part and see which parts are reached.
    std::vector<std::uint8_t> seen(owner.size(), 0);
    std::vector<std::size_t> todo;
    for (std::size_t i = 0; i < owner.size() && todo.empty(); ++i) {
      if (owner[i] & 1) {
        todo.push_back(i);
        seen[i] = 1;
      }
    }
    int reached = 0;
    while (!todo.empty()) {
      const std::size_t i = todo.back();
      todo.pop_back();
      reached |= owner[i];
      const std::size_t x = i % w, y = i / w;
      const std::size_t next[] = {x > 0 ? i - 1 : i, x + 1 < std::size_t(w) ? i + 1 : i, y > 0 ? i - w : i,
                                  y + 1 < std::size_t(h) ? i + w : i};
      for (std::size_t n : next) {
        if (owner[n] && !seen[n]) {
          seen[n] = 1;
          todo.push_back(n);
        }
      }
    }
    EXPECT_EQ(reached, (1 << pose.parts.size()) - 1);
  }
}

// The desktop icon is the window icon with transparent corners, so no white square shows
// on a dark panel; where it is opaque it shows exactly the window icon.
TEST(AssetsPictures, DesktopIconIsTheWindowIconWithTransparentCorners) {
  const Picture bmp = ReadBmp(DatPath("vexa_icon.bmp"));
  const Picture png = ReadPng(DatPath("vexa.png"));
  ASSERT_EQ(bmp.error, "");
  ASSERT_EQ(png.error, "");
  ASSERT_EQ(png.width, 64);
  ASSERT_EQ(png.height, 64);
  ASSERT_EQ(png.alpha.size(), png.px.size()) << "no alpha channel";
  int opaque = 0;
  for (std::size_t i = 0; i < png.px.size(); ++i) {
    if (png.alpha[i] != 255) continue;
    ++opaque;
    EXPECT_EQ(png.px[i], bmp.px[i]) << "pixel " << i % 64 << "," << i / 64;
  }
  EXPECT_GT(opaque, 64 * 64 * 2 / 3);  // the round badge covers about three quarters
  for (std::size_t corner : {0u, 63u, 64u * 63u, 64u * 64u - 1u}) EXPECT_EQ(png.alpha[corner], 0) << corner;
  EXPECT_EQ(test::ReadFile(DatPath("icons/vexa-64.png")), test::ReadFile(DatPath("vexa.png")));
}

// The desktop's icon sizes: each square, transparent in its corners, opaque in the middle,
// with a soft edge rather than a hard step.
TEST(AssetsPictures, DesktopIconsComeInEverySize) {
  for (int size : {16, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(size);
    const Picture p = ReadPng(DatPath("icons/vexa-" + std::to_string(size) + ".png"));
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.width, size);
    ASSERT_EQ(p.height, size);
    ASSERT_EQ(p.alpha.size(), p.px.size()) << "no alpha channel";
    const auto at = [&](int x, int y) { return p.alpha[std::size_t(y) * std::size_t(size) + std::size_t(x)]; };
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(size - 1, size - 1), 0);
    EXPECT_EQ(at(size / 2, size / 2), 255);
    EXPECT_GT(std::count_if(p.alpha.begin(), p.alpha.end(), [](int a) { return a > 0 && a < 255; }), 0);
  }
}

struct Sound {
  std::string error;  // empty for 16-bit PCM mono at 22050 or 44100 Hz
  int rate = 0;
  std::vector<int> samples;
  double Seconds() const { return double(samples.size()) / rate; }
};

Sound BadSound(std::string why) {
  Sound s;
  s.error = std::move(why);
  return s;
}

Sound ReadWav(const std::string& path) {
  const std::string b = test::ReadFile(path);
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return BadSound("not a RIFF WAVE");
  if (Le(b, 4, 4) + 8 != b.size()) return BadSound("RIFF size does not match the file");
  Sound s;
  bool haveFormat = false, haveData = false;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    const std::size_t len = Le(b, at + 4, 4);
    if (at + 8 + len > b.size()) return BadSound("chunk " + id + " runs past the file");
    if (id == "fmt ") {
      if (len < 16 || Le(b, at + 8, 2) != 1) return BadSound("not PCM");
      if (Le(b, at + 10, 2) != 1) return BadSound("not mono");
      if (Le(b, at + 22, 2) != 16 || Le(b, at + 20, 2) != 2) return BadSound("not 16 bits");
      s.rate = int(Le(b, at + 12, 4));
      if (s.rate != 22050 && s.rate != 44100) return BadSound("unexpected sample rate");
      if (Le(b, at + 16, 4) != std::uint32_t(s.rate) * 2) return BadSound("byte rate disagrees");
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat) return BadSound("data before format");
      if (len % 2 != 0) return BadSound("odd data length");
      for (std::size_t i = 0; i < len; i += 2) s.samples.push_back(std::int16_t(Le(b, at + 8 + i, 2)));
      haveData = true;
    }
    at += 8 + len + (len & 1);
  }
  if (!haveData) return BadSound("no data chunk");
  return s;
}

const char* const kSounds[] = {"popon.wav", "bub.wav",  "up.wav",  "turn.wav",   "thathatha.wav",    "タ2.wav",
                               "suka.wav",  "コン.wav", "dun.wav", "break2.wav", "cap_tiron02-2.wav"};

// Short effects, clearly audible but short of full scale (their balance by loudness is
// checked in the tools' tests), starting and ending near silence so that a cue cut off by
// the next one does not click.
TEST(AssetsSounds, EveryCueIsAShortCleanPcmWave) {
  for (const char* file : kSounds) {
    SCOPED_TRACE(file);
    const Sound s = ReadWav(DatPath(file));
    ASSERT_EQ(s.error, "");
    EXPECT_GE(s.Seconds(), 0.05);
    EXPECT_LE(s.Seconds(), 0.8);
    int peak = 0;
    for (int v : s.samples) peak = std::max(peak, std::abs(v));
    EXPECT_GT(peak, 32767 * 0.25);
    EXPECT_LT(peak, 32767 * 0.9);
    EXPECT_LT(std::abs(s.samples.front()), 330);
    EXPECT_LT(std::abs(s.samples.back()), 330);
  }
}

// Each event has its own sound: no two files hold the same or nearly the same wave.
TEST(AssetsSounds, CuesArePairwiseDifferent) {
  std::vector<Sound> sounds;
  for (const char* file : kSounds) sounds.push_back(ReadWav(DatPath(file)));
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    for (std::size_t j = i + 1; j < sounds.size(); ++j) {
      SCOPED_TRACE(std::string(kSounds[i]) + " vs " + kSounds[j]);
      const auto& a = sounds[i].samples;
      const auto& b = sounds[j].samples;
      const std::size_t n = std::min(a.size(), b.size());
      double ab = 0, aa = 0, bb = 0;
      for (std::size_t k = 0; k < n; ++k) {
        ab += double(a[k]) * b[k];
        aa += double(a[k]) * a[k];
        bb += double(b[k]) * b[k];
      }
      EXPECT_NE(a, b);
      EXPECT_LT(std::abs(ab) / std::sqrt(aa * bb + 1), 0.9);
    }
  }
}

// The readers themselves: a wrong header must be caught, or the checks above prove nothing.
TEST(AssetsReaders, RejectMalformedFiles) {
  std::string bmp = test::ReadFile(DatPath("vexa_foot.bmp"));
  std::string wav = test::ReadFile(DatPath("dun.wav"));
  ASSERT_EQ(ReadBmp(DatPath("vexa_foot.bmp")).error, "");
  ASSERT_EQ(ReadWav(DatPath("dun.wav")).error, "");
  struct Case {
    const char* what;
    bool isBmp;
    std::size_t at;
    char value;
    const char* expected;
  };
  const Case cases[] = {
      {"32-bit picture", true, 28, 32, "not 24 bits per pixel"},
      {"run-length picture", true, 30, 1, "compressed"},
      {"stereo sound", false, 22, 2, "not mono"},
      {"8-bit sound", false, 34, 8, "not 16 bits"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = c.isBmp ? bmp : wav;
    bytes[c.at] = c.value;
    const std::string path = ::testing::TempDir() + "/asset_reader_case";
    test::WriteFile(path, bytes);
    EXPECT_EQ(c.isBmp ? ReadBmp(path).error : ReadWav(path).error, c.expected);
  }
  EXPECT_EQ(ReadWav(DatPath("no_such.wav")).error, "not a RIFF WAVE");
}

}  // namespace
}  // namespace vexa
