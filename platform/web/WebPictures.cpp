// Pictures without SDL or libjpeg: the game's own BMPs through the header checks and our
// own decoder; JPEG is refused, as no picture of the game is one.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "lib/BmpPixels.h"
#include "lib/BrixBmp.h"
#include "lib/PictureError.h"

namespace vexa {

namespace {

// A 64 M pixel picture of 32 bits and its headers fit well inside this.
constexpr std::streamoff kMaxBmpFileBytes = std::streamoff{272} << 20;

bool EndsWith(const std::string& path, const char* suffix) {
  const std::string s(suffix);
  return path.size() >= s.size() && path.compare(path.size() - s.size(), s.size(), s) == 0;
}

}  // namespace

void TBrixBitmap::LoadJpeg(const std::string& path) {
  throw PictureError(path + ": JPEG pictures are not read by the browser edition");
}

void TBrixBitmap::LoadPicture(const std::string& path) {
  if (EndsWith(path, ".jpg") || EndsWith(path, ".jpeg")) LoadJpeg(path);
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw PictureError(path + ": cannot open the picture");
  const std::streamoff size = in.tellg();
  if (size > kMaxBmpFileBytes)
    throw PictureError(path + ": the file is " + std::to_string(size) + " bytes, more than a picture the game loads");
  in.seekg(0);
  std::vector<std::uint8_t> file(static_cast<std::size_t>(std::max<std::streamoff>(size, 0)));
  if (!in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size())))
    throw PictureError(path + ": cannot read the picture");
  Picture24 picture = DecodeBmp(file, path);
  width_ = picture.width;
  height_ = picture.height;
  pixels_ = std::move(picture.pixels);
  RebuildRows();
}

}  // namespace vexa
