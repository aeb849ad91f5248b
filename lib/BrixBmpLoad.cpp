// Loading pictures into a TBrixBitmap: JPEG by file name, everything else as a bitmap file.
#include <cstring>
#include <memory>

#include "lib/BmpFormat.h"
#include "lib/BrixBmp.h"
#include "lib/PictureError.h"
#include "lib/BmpPixels.h"
#include "lib/SystemFiles.h"

namespace vexa {

namespace {

// A 64 M pixel picture of 32 bits and its headers fit well inside this.
constexpr std::int64_t kMaxBmpFileBytes = std::int64_t{272} << 20;

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::int64_t limit) {
  // Opened without waiting, so a pipe in a picture's place is refused below instead of
  // waiting for a writer.
  const int fd = OpenFile(path, OpenFor::Reading);
  if (fd < 0) throw PictureError(path + ": cannot open the picture (" + SystemReason() + ")");
  const std::unique_ptr<int, void (*)(int*)> closer(new int(fd), [](int* f) {
    CloseFile(*f);
    delete f;
  });
  const std::int64_t size = RegularFileSize(fd);
  if (size < 0) throw PictureError(path + ": not a picture file (not a regular file)");
  if (size > limit)
    throw PictureError(path + ": the file is " + std::to_string(size) + " bytes, more than a picture the " +
                       "game loads (" + std::to_string(limit) + ")");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long n = ReadSome(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) throw PictureError(path + ": cannot read the picture (" + SystemReason() + ")");
    if (n == 0) break;  // the file shrank while being read
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

// Both suffixes are plain ASCII, so comparing the last bytes compares the last characters.
bool EndsWith(const std::string& path, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return path.size() >= n && path.compare(path.size() - n, n, suffix) == 0;
}

}  // namespace

void TBrixBitmap::LoadPicture(const std::string& path) {
  if (EndsWith(path, ".jpg") || EndsWith(path, ".jpeg")) {
    LoadJpeg(path);
  } else {
    const std::vector<std::uint8_t> file = ReadWholeFile(path, kMaxBmpFileBytes);
    Picture24 picture = DecodeBmp(file, path);
    width_ = picture.width;
    height_ = picture.height;
    pixels_ = std::move(picture.pixels);
  }
  RebuildRows();
}

}  // namespace vexa
