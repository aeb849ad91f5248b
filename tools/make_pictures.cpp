// Draws the fighter's parts, faces and slash, and the window icon, into dat/.
//
// The fighter is assembled by the game from separate parts, each drawn with its own
// one-pixel tremble, and every part's fill is painted over every part's lines. So each
// body part is a solid silhouette with a thick rim: where parts overlap the fills merge
// and only the outer rim of the whole creature stays black. The faces carry all inner
// detail because they are drawn last.
//
// Usage: make_pictures OUTPUT_FOLDER
#include "LittleEndian.h"
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
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
  const Shape cheekTuft = Polygon({{47, 40}, {58, 44}, {48, 48}});
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

Image Face() {
  Image img(kHeadW, kHeadH, kKey);
  Eye(img, kEyeNearX, kEyeY, 4.2, 5.5);
  Eye(img, kEyeFarX, kEyeY - 1, 3.6, 5.0);
  // Brows slanting down toward the snout: the fighter means it.
  Paint(img, Segment(kEyeNearX - 6, kEyeY - 10, kEyeNearX + 4, kEyeY - 7, 1.3), kInk);
  Paint(img, Segment(kEyeFarX - 5, kEyeY - 9, kEyeFarX + 4, kEyeY - 11, 1.3), kInk);
  Paint(img, Ellipse(6, 33, 1.4, 1.2), kInk);  // nostril
  Paint(img, Segment(5, 42, 20, 44, 1.0), kInk);
  Paint(img, Segment(20, 44, 24, 41, 1.0), kInk);
  Paint(img, Polygon({{12, 43}, {16, 43.5}, {14, 48}}), kTooth);  // a small fang
  Paint(img, Ellipse(31, 36, 4.5, 2.2), kBlush);
  return img;
}

// Guarding: eyes squeezed shut, teeth clenched, brows up, a drop of sweat.
Image GuardFace() {
  Image img(kHeadW, kHeadH, kKey);
  Paint(img, Segment(kEyeNearX - 5, kEyeY - 4, kEyeNearX + 3, kEyeY, 1.3), kInk);
  Paint(img, Segment(kEyeNearX + 3, kEyeY, kEyeNearX - 5, kEyeY + 4, 1.3), kInk);
  Paint(img, Segment(kEyeFarX + 4, kEyeY - 5, kEyeFarX - 3, kEyeY - 1, 1.3), kInk);
  Paint(img, Segment(kEyeFarX - 3, kEyeY - 1, kEyeFarX + 4, kEyeY + 3, 1.3), kInk);
  Paint(img, Segment(kEyeNearX - 6, kEyeY - 8, kEyeNearX + 3, kEyeY - 12, 1.2), kInk);
  Paint(img, Segment(kEyeFarX - 4, kEyeY - 12, kEyeFarX + 4, kEyeY - 9, 1.2), kInk);
  // Clenched teeth: a pale bar with tooth gaps.
  Paint(img, Polygon({{4, 38}, {24, 39}, {24, 46}, {5, 45}}), kInk);
  Paint(img, Polygon({{6, 39.5}, {22.5, 40.5}, {22.5, 44.5}, {6.5, 43.5}}), kTooth);
  Paint(img, Segment(6, 42, 22, 42.5, 0.5), kInk);
  for (double tx : {10.0, 14.0, 18.0}) Paint(img, Segment(tx, 40, tx, 45, 0.5), kInk);
  Paint(img, Ellipse(31, 35, 5, 2.4), kBlush);
  const Shape drop = Union({Ellipse(52, 16, 4, 4.5), Polygon({{48.3, 14.5}, {52, 5}, {55.7, 14.5}})});
  Paint(img, drop, kSweatEdge);
  Paint(img, Union({Ellipse(52, 16, 2.8, 3.3), Polygon({{49.6, 14.5}, {52, 8}, {54.4, 14.5}})}), kSweat);
  return img;
}

// Three claw streaks sweeping down in front of the snout. The picture sits 25 pixels left
// of and 5 above the head, under the body, so only the part ahead of the snout shows.
Image Slash() {
  Image img(64, 64, kKey);
  const double cx = 58, cy = 34;
  const std::array<double, 3> radii{36, 45, 54};
  for (double radius : radii) {
    for (int pass = 0; pass < 2; ++pass) {
      const Color c = pass == 0 ? Color{36, 84, 220} : Color{170, 232, 255};
      for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
          const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
          const double a = std::atan2(dy, -dx);  // 0 straight ahead, + downward
          if (a < -1.0 || a > 1.05) continue;
          // Thickest at the middle of the swing, tapering to points.
          const double t = (a + 1.0) / 2.05;
          const double half = 3.4 * std::sin(kPi * t) + (pass == 0 ? 0.9 : -0.2);
          if (half <= 0) continue;
          if (std::abs(std::hypot(dx, dy) - radius) <= half) img.at(x, y) = c;
        }
      }
    }
  }
  return img;
}

// The window icon: the fighter's head, orange, on a round dusk-blue badge.
Image Icon(const Image& head, const Image& face) {
  Image img(64, 64, Color{255, 255, 255});
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const double d = std::hypot(x + 0.5 - 32, y + 0.5 - 32);
      if (d > 31.5) continue;
      const double t = (y + 0.5) / 64.0;
      img.at(x, y) = d > 29.5 ? Color{20, 28, 70}
                              : Color{std::uint8_t(60 + 50 * t), std::uint8_t(110 + 60 * t), std::uint8_t(210 - 30 * t)};
    }
  }
  const Color skin{255, 168, 64};
  const int ox = 2, oy = 5;
  auto stamp = [&](const Image& src) {
    for (int y = 0; y < src.h; ++y)
      for (int x = 0; x < src.w; ++x) {
        const Color c = src.at(x, y);
        const int tx = x + ox, ty = y + oy;
        if (c == kKey || tx < 0 || ty < 0 || tx >= 64 || ty >= 64) continue;
        img.at(tx, ty) = c == kFill ? skin : c;
      }
  };
  stamp(head);
  stamp(face);
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

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.insert(out.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}

void Chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  PutBe32(out, std::uint32_t(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

// RGB PNG with stored (uncompressed) deflate blocks: tiny icons need no compressor.
bool WritePng(const std::string& path, const Image& img) {
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < img.h; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < img.w; ++x) {
      const Color c = img.at(x, y);
      raw.insert(raw.end(), {c.r, c.g, c.b});
    }
  }
  std::vector<std::uint8_t> z{0x78, 0x01};
  for (std::size_t pos = 0; pos < raw.size() || pos == 0;) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
    const bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    Put16(z, std::uint32_t(n));
    Put16(z, std::uint32_t(~n & 0xFFFF));
    z.insert(z.end(), raw.begin() + std::ptrdiff_t(pos), raw.begin() + std::ptrdiff_t(pos + n));
    pos += n;
    if (last) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  PutBe32(z, (b << 16) | a);

  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> ihdr;
  PutBe32(ihdr, std::uint32_t(img.w));
  PutBe32(ihdr, std::uint32_t(img.h));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
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
  const Image icon = Icon(head, face);
  const std::vector<std::pair<std::string, Image>> files{
      {"vexa_head.bmp", head},  {"vexa_body.bmp", Body()},       {"vexa_foot.bmp", Foot()},
      {"vexa_face.bmp", face},  {"vexa_face2.bmp", GuardFace()}, {"vexa_slash.bmp", Slash()},
      {"vexa_icon.bmp", icon},
  };
  bool ok = true;
  for (const auto& [name, img] : files) ok = WriteBmp(dir + "/" + name, img) && ok;
  ok = WritePng(dir + "/vexa.png", icon) && ok;
  if (!ok) {
    std::cerr << "make_pictures: could not write into " << dir << '\n';
    return 1;
  }
  return 0;
}
