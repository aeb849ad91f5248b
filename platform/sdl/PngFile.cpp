#include "lib/PngFile.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "lib/Checked.h"

namespace vexa {

namespace {

void PutBigEndian32(std::vector<unsigned char>& out, std::uint32_t v) {
  out.push_back(static_cast<unsigned char>(v >> 24));
  out.push_back(static_cast<unsigned char>(v >> 16));
  out.push_back(static_cast<unsigned char>(v >> 8));
  out.push_back(static_cast<unsigned char>(v));
}

void PutChunk(std::vector<unsigned char>& out, const char type[4], const std::vector<unsigned char>& data) {
  PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32_z(0L, out.data() + typeAt, 4 + data.size());
  PutBigEndian32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

void WritePng(const std::string& path, const TBrixBitmap& frame) {
  const std::int32_t width = frame.Width();
  const std::int32_t height = frame.Height();
  if (width <= 0 || height <= 0)
    throw VexaError("cannot write " + path + ": a PNG needs at least one pixel, the surface is " +
                    std::to_string(width) + " x " + std::to_string(height));

  // Each row: filter byte 0, then red, green, blue.
  const std::size_t rowBytes = 1 + 3 * static_cast<std::size_t>(width);
  std::vector<unsigned char> raw(rowBytes * static_cast<std::size_t>(height));
  const ColorTriple* pixel = frame.Pixels().data();
  for (std::size_t r = 0; r < static_cast<std::size_t>(height); ++r) {
    unsigned char* out = raw.data() + r * rowBytes;
    *out++ = 0;
    for (std::int32_t c = 0; c < width; ++c, ++pixel) {
      *out++ = pixel->red;
      *out++ = pixel->green;
      *out++ = pixel->blue;
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<unsigned char> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
    throw VexaError("cannot write " + path + ": zlib could not compress the picture");
  packed.resize(packedSize);

  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  PutBigEndian32(header, static_cast<std::uint32_t>(width));
  PutBigEndian32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!file) throw VexaError("cannot write " + path + ": " + std::strerror(errno));
  if (std::fwrite(png.data(), 1, png.size(), file.get()) != png.size() || std::fflush(file.get()) != 0)
    throw VexaError("cannot write " + path + ": " + std::strerror(errno));
  if (std::fclose(file.release()) != 0) throw VexaError("cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace vexa
