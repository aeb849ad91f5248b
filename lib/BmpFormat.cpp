#include "lib/BmpFormat.h"

#include <algorithm>
#include <bit>

#include "lib/PictureError.h"

namespace vexa {

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;
// Beyond 25,400 dots per inch a density is not a real one.
constexpr std::int64_t kMaxDensity = 1'000'000;

[[noreturn]] void Refuse(const std::string& name, const std::string& why) {
  throw PictureError(name + ": " + why);
}

class Reader {
 public:
  Reader(std::span<const std::uint8_t> file, const std::string& name) : file_(file), name_(name) {}
  std::uint32_t U32(std::size_t at) const {
    Need(at, 4);
    return static_cast<std::uint32_t>(file_[at]) | static_cast<std::uint32_t>(file_[at + 1]) << 8 |
           static_cast<std::uint32_t>(file_[at + 2]) << 16 | static_cast<std::uint32_t>(file_[at + 3]) << 24;
  }
  std::int32_t S32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  std::uint16_t U16(std::size_t at) const {
    Need(at, 2);
    return static_cast<std::uint16_t>(file_[at] | file_[at + 1] << 8);
  }
  std::uint8_t U8(std::size_t at) const {
    Need(at, 1);
    return file_[at];
  }
  void Need(std::size_t at, std::size_t count) const {
    if (at > file_.size() || count > file_.size() - at)
      Refuse(name_, "the file ends early (" + std::to_string(file_.size()) + " bytes; " + std::to_string(at + count) +
                        " needed)");
  }

 private:
  std::span<const std::uint8_t> file_;
  const std::string& name_;
};

BmpChannel MakeChannel(const std::string& name, const char* what, std::uint32_t mask, int bitCount) {
  if (mask == 0) Refuse(name, std::string("the ") + what + " mask is empty");
  if (bitCount < 32 && (mask >> bitCount) != 0)
    Refuse(name, std::string("the ") + what + " mask lies outside the " + std::to_string(bitCount) + "-bit pixel");
  BmpChannel channel;
  channel.mask = mask;
  channel.shift = std::countr_zero(mask);
  const std::uint32_t bits = mask >> channel.shift;
  if ((bits & (bits + 1)) != 0) Refuse(name, std::string("the ") + what + " mask is not one run of bits");
  channel.maximum = bits;
  return channel;
}

// Every code must stay inside the picture and the data must end with the end-of-picture
// code: a decoder that clipped bad runs would still show garbage.
void CheckRunLengths(std::span<const std::uint8_t> data, const BmpPlan& plan, const std::string& name) {
  const bool four = plan.compression == kRle4;
  const std::int64_t width = plan.width;
  const std::int64_t height = plan.height;
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::size_t i = 0;
  auto need = [&](std::size_t n) {
    if (n > data.size() - i) Refuse(name, "the run-length data ends before the end-of-picture code");
  };
  auto outside = [&](const char* what) {
    Refuse(name, std::string("a run-length ") + what + " leaves the picture at row " + std::to_string(y) +
                     ", column " + std::to_string(x));
  };
  for (;;) {
    need(2);
    const std::uint8_t count = data[i];
    const std::uint8_t value = data[i + 1];
    i += 2;
    if (count != 0) {
      if (y >= height || x + count > width) outside("run");
      x += count;
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        if (++y > height) outside("line end");
        break;
      case 1:  // end of picture
        return;
      case 2: {  // move
        need(2);
        x += data[i];
        y += data[i + 1];
        i += 2;
        if (x > width || y > height) outside("move");
        break;
      }
      default: {  // literal pixels, padded to an even byte count
        const std::size_t bytes = four ? (value + 1u) / 2 : value;
        need(bytes + (bytes & 1));
        if (y >= height || x + value > width) outside("literal run");
        i += bytes + (bytes & 1);
        x += value;
        break;
      }
    }
  }
}

}  // namespace

namespace {

// The fields of the file and info headers that the plan is made from.
struct BmpHeader {
  std::uint32_t offBits = 0;
  std::uint32_t headerSize = 0;
  bool os2v1 = false;  // 12 bytes: OS/2 1.x
  bool os2v2 = false;  // 16 or 64 bytes: OS/2 2.x
  std::int64_t width = 0, height = 0;
  std::uint32_t planes = 0, bitCount = 0, compression = kRgb, sizeImage = 0, colorsUsed = 0;
};

void CheckSignature(std::span<const std::uint8_t> file, const std::string& name) {
  if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return;
  std::string start;
  for (std::size_t i = 0; i < 2 && i < file.size(); ++i)
    start += (file[i] >= 0x20 && file[i] < 0x7F) ? static_cast<char>(file[i]) : '?';
  Refuse(name, file.empty() ? "the file is empty, not a BMP picture"
                            : "not a BMP picture (it starts with \"" + start + "\", not \"BM\")");
}

BmpHeader ReadHeaders(const Reader& in, std::span<const std::uint8_t> file, const std::string& name) {
  BmpHeader hd;
  const std::uint32_t fileSize = in.U32(2);
  hd.offBits = in.U32(10);
  hd.headerSize = in.U32(14);
  if (fileSize > file.size())
    Refuse(name, "the header gives a file size of " + std::to_string(fileSize) + " bytes, but the file has " +
                     std::to_string(file.size()));

  // 12: OS/2 1.x; 16 and 64: OS/2 2.x; 40, 52, 56, 108, 124: the Windows versions.
  hd.os2v1 = hd.headerSize == 12;
  hd.os2v2 = hd.headerSize == 16 || hd.headerSize == 64;
  if (!hd.os2v1 && !hd.os2v2 && hd.headerSize != 40 && hd.headerSize != 52 && hd.headerSize != 56 &&
      hd.headerSize != 108 && hd.headerSize != 124)
    Refuse(name, "unknown BMP header size " + std::to_string(hd.headerSize));
  in.Need(14, hd.headerSize);

  if (hd.os2v1) {
    hd.width = in.U16(18);
    hd.height = in.U16(20);
    hd.planes = in.U16(22);
    hd.bitCount = in.U16(24);
    return hd;
  }
  hd.width = in.S32(18);
  hd.height = in.S32(22);
  hd.planes = in.U16(26);
  hd.bitCount = in.U16(28);
  if (hd.headerSize >= 40) {
    hd.compression = in.U32(30);
    hd.sizeImage = in.U32(34);
    for (std::size_t at : {38u, 42u}) {
      const std::int64_t density = in.S32(at);
      if (density < 0 || density > kMaxDensity)
        Refuse(name, "impossible pixel density " + std::to_string(density) + " per metre");
    }
    hd.colorsUsed = in.U32(46);
  }
  return hd;
}

// Size, planes, depth and the outer limits.
void PlanShape(const BmpHeader& hd, std::span<const std::uint8_t> file, const std::string& name, BmpPlan& plan) {
  if (hd.planes != 1) Refuse(name, "the plane count is " + std::to_string(hd.planes) + ", not 1");
  std::int64_t width = hd.width, height = hd.height;
  if (width <= 0 || height == 0)
    Refuse(name, "bad picture size " + std::to_string(width) + " x " + std::to_string(height));
  plan.topDown = height < 0;
  if (height < 0) height = -height;
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
    Refuse(name, "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                     ", larger than the game loads (at most " + std::to_string(kMaxPictureSide) + " a side, " +
                     std::to_string(kMaxPicturePixels) + " pixels)");
  plan.width = static_cast<std::int32_t>(width);
  plan.height = static_cast<std::int32_t>(height);
  if (!hd.os2v2 && (hd.compression == 4 || hd.compression == 5))
    Refuse(name, std::string("a BMP that wraps ") + (hd.compression == 4 ? "a JPEG" : "a PNG") +
                     " picture is not supported");
  const std::uint32_t bitCount = hd.bitCount;
  if (bitCount != 1 && bitCount != 2 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32)
    Refuse(name, "unsupported colour depth of " + std::to_string(bitCount) + " bits per pixel");
  plan.bitCount = static_cast<int>(bitCount);
  if (hd.sizeImage > file.size())
    Refuse(name, "the header gives " + std::to_string(hd.sizeImage) + " bytes of pixel data, but the file has " +
                     std::to_string(file.size()));
}

// The compression and, for 16 and 32 bits, the colour masks; returns where the palette starts.
std::size_t PlanChannels(const BmpHeader& hd, const Reader& in, const std::string& name, BmpPlan& plan) {
  // Compression: OS/2 2.x numbers 3 and 4 differently (Huffman, 24-bit runs); neither is drawn.
  std::size_t masksEnd = 14 + hd.headerSize;
  const std::uint32_t bitCount = hd.bitCount, compression = hd.compression;
  if (hd.os2v2 && compression >= 3) Refuse(name, "unsupported OS/2 compression " + std::to_string(compression));
  switch (compression) {
    case kRgb:
      if (bitCount == 16) {
        plan.red = MakeChannel(name, "red", 0x7C00, 16);
        plan.green = MakeChannel(name, "green", 0x03E0, 16);
        plan.blue = MakeChannel(name, "blue", 0x001F, 16);
      } else if (bitCount == 32) {
        plan.red = MakeChannel(name, "red", 0xFF0000, 32);
        plan.green = MakeChannel(name, "green", 0xFF00, 32);
        plan.blue = MakeChannel(name, "blue", 0xFF, 32);
      }
      break;
    case kRle8:
    case kRle4:
      if (bitCount != (compression == kRle8 ? 8u : 4u))
        Refuse(name, "run-length compression " + std::to_string(compression) + " with " + std::to_string(bitCount) +
                         " bits per pixel");
      if (plan.topDown) Refuse(name, "a run-length picture cannot be stored top-down");
      break;
    case kBitFields:
    case kAlphaBitFields: {
      if (bitCount != 16 && bitCount != 32)
        Refuse(name, "colour masks with " + std::to_string(bitCount) + " bits per pixel");
      // A 40-byte header is followed by the masks; the later headers hold them.
      const std::size_t at = 14 + 40;
      if (hd.headerSize == 40) masksEnd = at + (compression == kAlphaBitFields ? 16 : 12);
      plan.red = MakeChannel(name, "red", in.U32(at), static_cast<int>(bitCount));
      plan.green = MakeChannel(name, "green", in.U32(at + 4), static_cast<int>(bitCount));
      plan.blue = MakeChannel(name, "blue", in.U32(at + 8), static_cast<int>(bitCount));
      if ((plan.red.mask & plan.green.mask) != 0 || (plan.red.mask & plan.blue.mask) != 0 ||
          (plan.green.mask & plan.blue.mask) != 0)
        Refuse(name, "the colour masks overlap");
      break;
    }
    default:
      Refuse(name, "unsupported BMP compression " + std::to_string(compression));
  }
  return masksEnd;
}

void PlanPalette(const BmpHeader& hd, const Reader& in, std::size_t masksEnd, const std::string& name,
                 BmpPlan& plan) {
  if (hd.bitCount > 8) return;
  const std::uint32_t most = 1u << hd.bitCount;
  if (hd.colorsUsed > most)
    Refuse(name, "a palette of " + std::to_string(hd.colorsUsed) + " colours for " + std::to_string(hd.bitCount) +
                     " bits per pixel");
  const std::size_t entry = hd.os2v1 ? 3 : 4;
  const std::size_t room = (hd.offBits - masksEnd) / entry;
  std::size_t count = hd.colorsUsed != 0 ? hd.colorsUsed : most;
  // Without a stated count the palette may be cut short by the pixel data.
  if (count > room) {
    if (hd.colorsUsed != 0) Refuse(name, "the palette runs into the pixel data");
    count = room;
  }
  if (count == 0) Refuse(name, "the picture has no palette");
  plan.palette.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t at = masksEnd + k * entry;
    plan.palette[k] = ColorTriple{in.U8(at), in.U8(at + 1), in.U8(at + 2)};
  }
}

// Where the pixels lie and how many bytes of them there must be; run-length codes walked.
void PlanPixelData(const BmpHeader& hd, std::span<const std::uint8_t> file, const std::string& name,
                   BmpPlan& plan) {
  const std::size_t available = file.size() - plan.dataOffset;
  if (hd.compression == kRle8 || hd.compression == kRle4) {
    plan.compression = hd.compression;
    plan.dataSize = available;
    CheckRunLengths(file.subspan(plan.dataOffset, available), plan, name);
    return;
  }
  plan.compression = hd.bitCount == 32 ? kBitFields : kRgb;
  const std::uint64_t stride = (static_cast<std::uint64_t>(plan.width) * hd.bitCount + 31) / 32 * 4;
  const std::uint64_t needed = stride * static_cast<std::uint64_t>(plan.height);
  if (needed > available)
    Refuse(name, "the pixel data is cut short (" + std::to_string(available) + " of " + std::to_string(needed) +
                     " bytes)");
  plan.dataSize = static_cast<std::size_t>(needed);
}

}  // namespace

BmpPlan PlanBmp(std::span<const std::uint8_t> file, const std::string& name) {
  const Reader in(file, name);
  CheckSignature(file, name);
  const BmpHeader hd = ReadHeaders(in, file, name);
  BmpPlan plan;
  PlanShape(hd, file, name, plan);
  const std::size_t masksEnd = PlanChannels(hd, in, name, plan);
  if (hd.offBits < masksEnd || hd.offBits > file.size())
    Refuse(name, "the pixel data offset " + std::to_string(hd.offBits) + " lies outside the file's data");
  plan.dataOffset = hd.offBits;
  PlanPalette(hd, in, masksEnd, name, plan);
  PlanPixelData(hd, file, name, plan);
  return plan;
}

namespace {

inline std::uint8_t Scale(std::uint32_t value, const BmpChannel& c) {
  const std::uint64_t level = (value & c.mask) >> c.shift;
  return static_cast<std::uint8_t>((level * 510 + c.maximum) / (2 * c.maximum));
}

}  // namespace

bool ConvertBmpRow(const BmpPlan& plan, const std::uint8_t* src, ColorTriple* dst) {
  const std::size_t width = static_cast<std::size_t>(plan.width);
  switch (plan.bitCount) {
    case 24:
      for (std::size_t i = 0; i < width; ++i, src += 3) dst[i] = ColorTriple{src[0], src[1], src[2]};
      return true;
    case 16:
      for (std::size_t i = 0; i < width; ++i, src += 2) {
        const std::uint32_t v = static_cast<std::uint32_t>(src[0] | src[1] << 8);
        dst[i] = ColorTriple{Scale(v, plan.blue), Scale(v, plan.green), Scale(v, plan.red)};
      }
      return true;
    case 32:
      for (std::size_t i = 0; i < width; ++i, src += 4) {
        const std::uint32_t v = static_cast<std::uint32_t>(src[0]) | static_cast<std::uint32_t>(src[1]) << 8 |
                                static_cast<std::uint32_t>(src[2]) << 16 | static_cast<std::uint32_t>(src[3]) << 24;
        dst[i] = ColorTriple{Scale(v, plan.blue), Scale(v, plan.green), Scale(v, plan.red)};
      }
      return true;
    default:
      for (std::size_t i = 0; i < width; ++i) {
        if (src[i] >= plan.palette.size()) return false;
        dst[i] = plan.palette[src[i]];
      }
      return true;
  }
}

}  // namespace vexa
