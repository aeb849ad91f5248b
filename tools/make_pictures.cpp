// Draws the fighter's parts, faces and slash, the window icon and the desktop icons
// (vexa.png and icons/vexa-SIZE.png), into dat/.
//
// The fighter is assembled by the game from separate parts, each drawn with its own
// one-pixel tremble, and every part's fill is painted over every part's lines. So each
// body part is a solid silhouette with a thick rim: where parts overlap the fills merge
// and only the outer rim of the whole creature stays black. The faces carry all inner
// detail because they are drawn last.
//
// Usage: make_pictures OUTPUT_FOLDER
#include "LittleEndian.h"
#include <libdeflate.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Color {
  std::uint8_t r, g, b;
  bool operator==(const Color&) const = default;
};

// The game's reserved colours: transparent, and the body parts' line and fill markers.
constexpr Color kKey{255, 0, 0};
constexpr Color kLine{0, 0, 0};
constexpr Color kFill{254, 254, 254};

constexpr Color kEyeWhite{255, 255, 255};
constexpr Color kInk{16, 12, 24};  // face details: near-black so they never read as line marker
// A pale rim around every ink stroke, so the face reads on a dark or black body too.
constexpr Color kInkRim{250, 238, 214};
constexpr Color kBlush{255, 148, 172};
constexpr Color kTooth{250, 250, 240};
constexpr Color kSweat{140, 210, 255};
constexpr Color kSweatEdge{30, 96, 210};

constexpr double kPi = 3.14159265358979323846;

struct Image {
  int w = 0, h = 0;
  std::vector<Color> px;
  Image(int width, int height, Color c) : w(width), h(height), px(std::size_t(width) * height, c) {}
  Color& at(int x, int y) { return px[std::size_t(y) * w + x]; }
  Color at(int x, int y) const { return px[std::size_t(y) * w + x]; }
};

// A shape is an inside test at a pixel centre.
using Shape = std::function<bool(double, double)>;

Shape Ellipse(double cx, double cy, double rx, double ry) {
  return [=](double x, double y) {
    const double u = (x - cx) / rx, v = (y - cy) / ry;
    return u * u + v * v <= 1.0;
  };
}

Shape Polygon(std::vector<std::array<double, 2>> pts) {
  return [pts](double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
      const auto& a = pts[i];
      const auto& b = pts[j];
      if ((a[1] > y) != (b[1] > y) && x < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0]) in = !in;
    }
    return in;
  };
}

// A stroke of given half-width along a segment, round at both ends.
Shape Segment(double x0, double y0, double x1, double y1, double half) {
  return [=](double x, double y) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = x - (x0 + t * dx), ey = y - (y0 + t * dy);
    return ex * ex + ey * ey <= half * half;
  };
}

Shape RoundRect(double x0, double y0, double x1, double y1, double radius) {
  return [=](double x, double y) {
    const double dx = std::max({x0 + radius - x, 0.0, x - (x1 - radius)});
    const double dy = std::max({y0 + radius - y, 0.0, y - (y1 - radius)});
    return x >= x0 && x <= x1 && y >= y0 && y <= y1 && dx * dx + dy * dy <= radius * radius;
  };
}

Shape Union(std::vector<Shape> parts) {
  return [parts](double x, double y) {
    return std::any_of(parts.begin(), parts.end(), [&](const Shape& s) { return s(x, y); });
  };
}

void Paint(Image& img, const Shape& s, Color c) {
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x)
      if (s(x + 0.5, y + 0.5)) img.at(x, y) = c;
}

// A body part: the silhouette filled with the fill marker inside a rim of line colour.
// The rim is two pixels thick so that a one-pixel tremble between parts never opens a
// gap in the creature's outer line.
Image BodyPart(int w, int h, const Shape& silhouette) {
  std::vector<std::uint8_t> in(std::size_t(w) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) in[std::size_t(y) * w + x] = silhouette(x + 0.5, y + 0.5) ? 1 : 0;
  auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && in[std::size_t(y) * w + x]; };
  Image img(w, h, kKey);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (!inside(x, y)) continue;
      bool rim = false;
      for (int dy = -2; dy <= 2 && !rim; ++dy)
        for (int dx = -2; dx <= 2 && !rim; ++dx)
          if (dx * dx + dy * dy <= 4 && !inside(x + dx, y + dy)) rim = true;
      img.at(x, y) = rim ? kLine : kFill;
    }
  }
  return img;
}

// Places of the features, in head-picture coordinates. The creature looks left, toward
// its opponent, so the snout and the nearer eye sit at the left.
constexpr int kHeadW = 64, kHeadH = 56;
constexpr double kEyeNearX = 20, kEyeFarX = 35, kEyeY = 25;

Image Head() {
  const Shape skull = Ellipse(31, 31, 23, 22);
  const Shape snout = Ellipse(17, 37, 15, 12);
  const Shape earNear = Polygon({{17, 18}, {19, 1}, {32, 11}});
  const Shape earFar = Polygon({{33, 10}, {47, 2}, {48, 18}});
  // A round tuft: a thin point would leave a lone fill pixel inside its rim.
  const Shape cheekTuft = Union({Ellipse(50, 44, 7.5, 4.6), Ellipse(55, 45, 3.6, 3.2)});
  return BodyPart(kHeadW, kHeadH, Union({skull, snout, earNear, earFar, cheekTuft}));
}

Image Body() {
  // Part picture starts 36 pixels right of the head.
  const Shape trunk = Ellipse(32, 35, 30, 21);
  std::vector<Shape> parts{trunk};
  // A row of back plates, largest in the middle, so the fighter has a dinosaur's back.
  const std::array<std::array<double, 3>, 4> plates{{{10, 16, 6}, {22, 9, 7}, {35, 7, 7}, {48, 11, 6}}};
  for (const auto& p : plates) parts.push_back(Polygon({{p[0] - p[2], 20}, {p[0], p[1]}, {p[0] + p[2], 20}}));
  return BodyPart(64, 60, Union(parts));
}

// One foot; the same picture also makes the two-lump tail at the fighter's back.
Image Foot() {
  // A flat sole, so neighbouring feet that overlap join in one straight ground line.
  const Shape leg = Ellipse(18, 12, 10, 12);
  const Shape sole = RoundRect(3, 12, 29, 26, 7.5);
  return BodyPart(64, 28, Union({leg, sole}));
}

void Eye(Image& img, double cx, double cy, double rx, double ry) {
  Paint(img, Ellipse(cx, cy, rx + 1.2, ry + 1.2), kInk);
  Paint(img, Ellipse(cx, cy, rx, ry), kEyeWhite);
  Paint(img, Ellipse(cx - rx * 0.35, cy + 0.5, rx * 0.62, ry * 0.7), kInk);  // looking at the foe
  Paint(img, Ellipse(cx - rx * 0.5, cy - ry * 0.3, 1.1, 1.1), kEyeWhite);
}

// Where a face may draw: the head's fill, less a pixel all round, since the face and the
// head each tremble by a pixel on their own. Anything outside would sit on the head's
// outline or off the head.
std::vector<std::uint8_t> FaceRoom(const Image& head) {
  std::vector<std::uint8_t> room(head.px.size(), 0);
  for (int y = 1; y + 1 < head.h; ++y)
    for (int x = 1; x + 1 < head.w; ++x) {
      bool all = true;
      for (int dy = -1; dy <= 1 && all; ++dy)
        for (int dx = -1; dx <= 1 && all; ++dx) all = head.at(x + dx, y + dy) == kFill;
      room[std::size_t(y) * head.w + x] = all ? 1 : 0;
    }
  return room;
}

// Gives every ink pixel a pale neighbour wherever it would touch the body's colour.
void RimInk(Image& img) {
  const Image before = img;
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) {
      if (!(before.at(x, y) == kKey)) continue;
      const int nx[] = {x - 1, x + 1, x, x}, ny[] = {y, y, y - 1, y + 1};
      for (int k = 0; k < 4; ++k)
        if (nx[k] >= 0 && ny[k] >= 0 && nx[k] < img.w && ny[k] < img.h && before.at(nx[k], ny[k]) == kInk) {
          img.at(x, y) = kInkRim;
          break;
        }
    }
}

// Pixels of `face` (other than the sweat drop, which floats beside the head) outside the room.
// Described as "N pixels, first at X,Y"; empty when there are none.
std::string OutsideRoom(const Image& face, const std::vector<std::uint8_t>& room) {
  int n = 0;
  std::string first;
  for (int y = 0; y < face.h; ++y)
    for (int x = 0; x < face.w; ++x) {
      const Color c = face.at(x, y);
      if (c == kKey || c == kSweat || c == kSweatEdge || room[std::size_t(y) * face.w + x]) continue;
      if (n++ == 0) first = std::to_string(x) + "," + std::to_string(y);
    }
  return n == 0 ? "" : std::to_string(n) + " pixels, first at " + first;
}

Image Face() {
  Image img(kHeadW, kHeadH, kKey);
  Eye(img, kEyeNearX, kEyeY, 4.2, 5.5);
  Eye(img, kEyeFarX, kEyeY - 1, 3.6, 5.0);
  // Brows slanting down toward the snout: the fighter means it.
  Paint(img, Segment(kEyeNearX, kEyeY - 7.8, kEyeNearX + 5.5, kEyeY - 6.6, 1.0), kInk);
  Paint(img, Segment(kEyeFarX - 4, kEyeY - 9, kEyeFarX + 4, kEyeY - 10.5, 1.2), kInk);
  Paint(img, Ellipse(9.5, 33.5, 1.3, 1.1), kInk);  // nostril
  Paint(img, Segment(10, 40.5, 21, 42.3, 1.0), kInk);
  Paint(img, Segment(21, 42.3, 24.5, 39.5, 1.0), kInk);
  Paint(img, Polygon({{13, 41.3}, {17, 41.9}, {15, 45.2}}), kTooth);  // a small fang
  Paint(img, Ellipse(31, 36, 4.5, 2.2), kBlush);
  RimInk(img);
  return img;
}

// Guarding: eyes squeezed shut, teeth clenched, brows up, a drop of sweat.
Image GuardFace() {
  Image img(kHeadW, kHeadH, kKey);
  Paint(img, Segment(kEyeNearX - 3.5, kEyeY - 3.5, kEyeNearX + 3.5, kEyeY, 1.2), kInk);
  Paint(img, Segment(kEyeNearX + 3.5, kEyeY, kEyeNearX - 3.5, kEyeY + 3.5, 1.2), kInk);
  Paint(img, Segment(kEyeFarX + 4, kEyeY - 5, kEyeFarX - 3, kEyeY - 1, 1.2), kInk);
  Paint(img, Segment(kEyeFarX - 3, kEyeY - 1, kEyeFarX + 4, kEyeY + 3, 1.2), kInk);
  Paint(img, Segment(kEyeNearX - 1.5, kEyeY - 7, kEyeNearX + 4, kEyeY - 10.5, 1.1), kInk);
  Paint(img, Segment(kEyeFarX - 4, kEyeY - 11, kEyeFarX + 4, kEyeY - 8.5, 1.1), kInk);
  // Clenched teeth: a pale bar with tooth gaps, set inside the snout's outline.
  Paint(img, Polygon({{10.5, 37.2}, {24.5, 38.2}, {24.5, 44.3}, {11.5, 43.5}}), kInk);
  Paint(img, Polygon({{12, 38.5}, {23.3, 39.4}, {23.3, 43.2}, {12.8, 42.4}}), kTooth);
  Paint(img, Segment(12.3, 40.8, 23, 41.4, 0.5), kInk);
  for (double tx : {15.5, 19.0}) Paint(img, Segment(tx, 38.8, tx, 43, 0.5), kInk);
  Paint(img, Ellipse(32, 35, 5, 2.4), kBlush);
  RimInk(img);
  const Shape drop = Union({Ellipse(52, 16, 4, 4.5), Polygon({{48.3, 14.5}, {52, 5}, {55.7, 14.5}})});
  Paint(img, drop, kSweatEdge);
  Paint(img, Union({Ellipse(52, 16, 2.8, 3.3), Polygon({{49.6, 14.5}, {52, 8}, {54.4, 14.5}})}), kSweat);
  return img;
}

// Three claw marks sweeping down in front of the snout, each a crescent that swells in the
// middle and tapers to a point at both ends inside the picture, with clear gaps between
// them so they read as three at play size. The picture sits 25 pixels left of and 5 above
// the head, under the body, so only the part ahead of the snout shows.
Image Slash() {
  Image img(64, 64, kKey);
  const double cx = 58, cy = 33;
  struct Claw {
    double radius, from, to;  // angles: 0 straight ahead, + downward
  };
  const std::array<Claw, 3> claws{{{31, -0.78, 0.86}, {42, -0.62, 0.70}, {53, -0.50, 0.55}}};
  for (int pass = 0; pass < 2; ++pass) {
    const Color c = pass == 0 ? Color{36, 84, 220} : Color{170, 232, 255};
    for (const Claw& claw : claws) {
      for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
          const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
          const double a = std::atan2(dy, -dx);
          if (a < claw.from || a > claw.to) continue;
          const double t = (a - claw.from) / (claw.to - claw.from);
          const double half = 2.6 * std::pow(std::sin(kPi * t), 0.8) + (pass == 0 ? 0.9 : -0.1);
          if (half > 0 && std::abs(std::hypot(dx, dy) - claw.radius) <= half) img.at(x, y) = c;
        }
      }
    }
  }
  return img;
}

// The icon's design, 64 pixels across: the fighter's head, orange, on a round dusk-blue
// badge. Its colour at a point of the design, badge only.
constexpr Color kBadgeRing{20, 28, 70};
Color BadgeAt(double x, double y) {
  const double t = y / 64.0;
  return std::hypot(x - 32, y - 32) > 29.5
             ? kBadgeRing
             : Color{std::uint8_t(60 + 50 * t), std::uint8_t(110 + 60 * t), std::uint8_t(210 - 30 * t)};
}
bool InBadge(double x, double y) { return std::hypot(x - 32, y - 32) <= 31.5; }

// The head and face in the icon's skin colour at their place in the design; key elsewhere.
Image IconArt(const Image& head, const Image& face) {
  Image art(64, 64, kKey);
  const Color skin{255, 168, 64};
  const int ox = 2, oy = 5;
  auto stamp = [&](const Image& src) {
    for (int y = 0; y < src.h; ++y)
      for (int x = 0; x < src.w; ++x) {
        const Color c = src.at(x, y);
        const int tx = x + ox, ty = y + oy;
        if (c == kKey || tx < 0 || ty < 0 || tx >= 64 || ty >= 64 || !InBadge(tx + 0.5, ty + 0.5)) continue;
        art.at(tx, ty) = c == kFill ? skin : c;
      }
  };
  stamp(head);
  stamp(face);
  return art;
}

// The window icon: the design with white outside the badge (a BMP has no transparency).
Image Icon(const Image& art) {
  Image img(64, 64, Color{255, 255, 255});
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      if (!InBadge(x + 0.5, y + 0.5)) continue;
      img.at(x, y) = art.at(x, y) == kKey ? BadgeAt(x + 0.5, y + 0.5) : art.at(x, y);
    }
  return img;
}

struct Rgba {
  std::uint8_t r, g, b, a;
};
struct RgbaImage {
  int w = 0, h = 0;
  std::vector<Rgba> px;
};

// The desktop icon at `size` pixels, transparent outside the badge with a smooth edge.
// From 64 up each pixel takes the design's colour at its centre, so the pixel art stays
// crisp and the 64-pixel one is the window icon's copy; below 64 each pixel averages the
// design under it, and the smallest zoom in on the face so the eyes still read.
RgbaImage DesktopIcon(const Image& art, int size) {
  constexpr int n = 4;  // samples per pixel, each way
  const double scale = 64.0 / size;
  const double zoom = size <= 16 ? 1.2 : size <= 32 ? 1.1 : 1.0;
  auto design = [&](double u, double v) {
    const double au = 30 + (u - 30) / zoom, av = 30 + (v - 30) / zoom;  // zoom about the eyes
    const int ix = int(std::floor(au)), iy = int(std::floor(av));
    if (ix >= 0 && iy >= 0 && ix < 64 && iy < 64 && !(art.at(ix, iy) == kKey) && InBadge(au, av)) return art.at(ix, iy);
    return BadgeAt(u, v);
  };
  RgbaImage img{size, size, std::vector<Rgba>(std::size_t(size) * size)};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      int inside = 0;
      double r = 0, g = 0, b = 0;
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
          const double u = (x + (i + 0.5) / n) * scale, v = (y + (j + 0.5) / n) * scale;
          if (!InBadge(u, v)) continue;
          ++inside;
          const Color c = design(u, v);
          r += c.r;
          g += c.g;
          b += c.b;
        }
      Rgba& out = img.px[std::size_t(y) * size + x];
      if (inside == 0) {
        out = {0, 0, 0, 0};
        continue;
      }
      Color c{std::uint8_t(std::lround(r / inside)), std::uint8_t(std::lround(g / inside)),
              std::uint8_t(std::lround(b / inside))};
      if (size >= 64) c = InBadge((x + 0.5) * scale, (y + 0.5) * scale) ? design((x + 0.5) * scale, (y + 0.5) * scale)
                                                                         : kBadgeRing;
      out = {c.r, c.g, c.b, std::uint8_t(std::lround(255.0 * inside / (n * n)))};
    }
  return img;
}

// 24-bit bottom-up BMP with a 40-byte header, rows padded to four bytes.
bool WriteBmp(const std::string& path, const Image& img) {
  const std::uint32_t stride = (std::uint32_t(img.w) * 3 + 3) & ~3u;
  const std::uint32_t dataSize = stride * std::uint32_t(img.h);
  std::vector<std::uint8_t> out{'B', 'M'};
  Put32(out, 54 + dataSize);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, std::uint32_t(img.w));
  Put32(out, std::uint32_t(img.h));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, dataSize);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = img.h - 1; y >= 0; --y) {
    for (int x = 0; x < img.w; ++x) {
      const Color c = img.at(x, y);
      out.insert(out.end(), {c.b, c.g, c.r});
    }
    for (std::uint32_t pad = std::uint32_t(img.w) * 3; pad < stride; ++pad) out.push_back(0);
  }
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
  return bool(f);
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.insert(out.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}

void Chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  PutBe32(out, std::uint32_t(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBe32(out, libdeflate_crc32(0, out.data() + start, out.size() - start));
}

// RGBA PNG, compressed as tightly as libdeflate can: the icons travel inside the Windows
// exe and over the wire to the page.
bool WritePng(const std::string& path, const RgbaImage& img) {
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < img.h; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < img.w; ++x) {
      const Rgba c = img.px[std::size_t(y) * img.w + x];
      raw.insert(raw.end(), {c.r, c.g, c.b, c.a});
    }
  }
  libdeflate_compressor* packer = libdeflate_alloc_compressor(12);
  if (!packer) return false;
  std::vector<std::uint8_t> z(libdeflate_zlib_compress_bound(packer, raw.size()));
  z.resize(libdeflate_zlib_compress(packer, raw.data(), raw.size(), z.data(), z.size()));
  libdeflate_free_compressor(packer);
  if (z.empty()) return false;

  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> ihdr;
  PutBe32(ihdr, std::uint32_t(img.w));
  PutBe32(ihdr, std::uint32_t(img.h));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
  Chunk(out, "IHDR", ihdr);
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", {});
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
  return bool(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_pictures OUTPUT_FOLDER\n";
    return 2;
  }
  const std::string dir = argv[1];
  const Image head = Head();
  const Image face = Face();
  const Image guardFace = GuardFace();
  const auto room = FaceRoom(head);
  for (const auto& [name, img] : {std::pair{"face", &face}, std::pair{"guard face", &guardFace}}) {
    if (const std::string outside = OutsideRoom(*img, room); !outside.empty()) {
      std::cerr << "make_pictures: the " << name << " lies on or off the head's outline: " << outside << '\n';
      return 1;
    }
  }
  const Image art = IconArt(head, face);
  const Image icon = Icon(art);
  const std::vector<std::pair<std::string, Image>> files{
      {"vexa_head.bmp", head},  {"vexa_body.bmp", Body()},      {"vexa_foot.bmp", Foot()},
      {"vexa_face.bmp", face},  {"vexa_face2.bmp", guardFace},  {"vexa_slash.bmp", Slash()},
      {"vexa_icon.bmp", icon},
  };
  bool ok = true;
  for (const auto& [name, img] : files) ok = WriteBmp(dir + "/" + name, img) && ok;
  ok = WritePng(dir + "/vexa.png", DesktopIcon(art, 64)) && ok;
  std::error_code error;
  std::filesystem::create_directories(dir + "/icons", error);
  for (int size : {16, 32, 48, 64, 128, 256})
    ok = WritePng(dir + "/icons/vexa-" + std::to_string(size) + ".png", DesktopIcon(art, size)) && ok;
  if (!ok) {
    std::cerr << "make_pictures: could not write into " << dir << '\n';
    return 1;
  }
  return 0;
}
