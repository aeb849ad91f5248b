#include "lib/BrixSaveLoad.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "lib/RenameNoReplace.h"

namespace vexa {

namespace {

constexpr const char* SaveFileName = "save.dat";
constexpr std::int32_t MaxBlock = 32768;

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// A rename is only lasting once the folder that holds it is on disk too.
void SyncFolder() {
  const int dir = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

}  // namespace

std::array<std::uint8_t, 10> TBrixSaveLoad::CheckCode(const void* block, std::int32_t size) {
  std::array<std::uint8_t, 10> c{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  for (std::int32_t i = 0; i < size; ++i) {
    const unsigned hi = bytes[i] / 16u;
    const unsigned lo = bytes[i] % 16u;
    for (auto& k : c) k = static_cast<std::uint8_t>((k * (2u * hi + 3u) + lo + 1u) % 256u);
  }
  return c;
}

// The new save goes to a file of its own beside the old one and replaces it only once it is
// complete on disk, so a failed or interrupted save never destroys the last good one. The
// temporary's name is new each time: whatever else lies in the folder is never in the way.
std::string TBrixSaveLoad::Save(const void* block, std::int32_t size) {
  const std::string failed = "【エラー】セーブ失敗";
  if (size < 0 || size > MaxBlock) return failed;
  std::vector<std::uint8_t> file(static_cast<const std::uint8_t*>(block),
                                 static_cast<const std::uint8_t*>(block) + size);
  const auto code = CheckCode(block, size);
  file.insert(file.end(), code.begin(), code.end());

  char temp[] = "save.dat.XXXXXX";
  const int fd = ::mkostemp(temp, O_CLOEXEC);
  if (fd < 0) return failed;
  bool ok = ::fchmod(fd, 0666 & ~CurrentUmask()) == 0;  // as an ordinary new file, not mkstemp's 0600
  ok = ok && WriteAll(fd, file.data(), file.size());
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok || std::rename(temp, SaveFileName) != 0) {
    ::unlink(temp);
    return failed;
  }
  SyncFolder();
  return ResultSuccess;
}

bool TBrixSaveLoad::IsFileOrLink() {
  struct stat info {};
  return ::lstat(SaveFileName, &info) == 0 && (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode));
}

std::string TBrixSaveLoad::SetAside(const std::string& kind) {
  if (!IsFileOrLink()) return "";
  for (int n = 0; n < 1000; ++n) {
    // Appended piece by piece: "." + std::to_string(n) makes GCC 12 at -O3 warn, falsely, of
    // an overlapping copy (-Wrestrict) inside the string's insert.
    std::string name = SaveFileName;
    name.append(".").append(kind);
    if (n > 0) name.append(".").append(std::to_string(n));
    // Never over another kept file, even one that appears meanwhile.
    if (RenameNoReplace(SaveFileName, name.c_str()) == 0) {
      SyncFolder();
      return name;
    }
    if (errno != EEXIST) return "";
  }
  errno = EEXIST;
  return "";
}

std::string TBrixSaveLoad::SetAsideDamaged() { return SetAside("damaged"); }

std::string TBrixSaveLoad::InTheWay() {
  struct stat info {};
  if (::lstat(SaveFileName, &info) != 0 || S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) return "";
  if (S_ISDIR(info.st_mode)) return "a folder";
  if (S_ISFIFO(info.st_mode)) return "a named pipe";
  if (S_ISSOCK(info.st_mode)) return "a socket";
  return "a device";
}

std::string TBrixSaveLoad::WhyNotLoaded(std::int32_t size) {
  const int fd = ::open(SaveFileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  struct stat info {};
  std::string why;
  if (::fstat(fd, &info) != 0) why = std::strerror(errno);
  else if (!S_ISREG(info.st_mode)) why = "it is not a file";
  else if (info.st_size != size + 10)
    why = "it holds " + std::to_string(info.st_size) + " bytes, not " + std::to_string(size + 10);
  else {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    const ssize_t n = ::read(fd, bytes.data(), bytes.size());
    if (n < 0) why = std::strerror(errno);
    else if (static_cast<std::size_t>(n) != bytes.size()) why = "it could not be read whole";
    else if (!std::equal(bytes.end() - 10, bytes.end(), CheckCode(bytes.data(), size).begin()))
      why = "its check code does not match its contents";
    else why = "its values are out of the game's range";
  }
  ::close(fd);
  return why;
}

std::string TBrixSaveLoad::Load(void* destination, std::int32_t size) {
  const std::string failed = "【エラー】ロード失敗";
  if (::access(SaveFileName, F_OK) != 0) return std::string(ResultNoSaveFile) + "：save.dat";
  if (size < 0 || size > MaxBlock) return failed;
  // Non-blocking, so a pipe named save.dat reads as empty instead of waiting for a writer.
  const int fd = ::open(SaveFileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return failed;
  std::FILE* f = ::fdopen(fd, "rb");
  if (!f) {
    ::close(fd);
    return failed;
  }
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
  std::array<std::uint8_t, 10> stored{};
  const bool read = std::fread(buffer.data(), 1, buffer.size(), f) == buffer.size() &&
                    std::fread(stored.data(), 1, stored.size(), f) == stored.size();
  const bool closed = std::fclose(f) == 0;
  if (!read) return failed;
  if (CheckCode(buffer.data(), size) != stored) return "【エラー】不正なデータ";
  if (!closed) return failed;
  std::copy(buffer.begin(), buffer.end(), static_cast<std::uint8_t*>(destination));
  return ResultSuccess;
}

// Up to `limit` bytes of a regular "save.dat"; nothing for anything else or no file.
SaveImage TBrixSaveLoad::HeldBytes(std::size_t limit) {
  const int fd = ::open(SaveFileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  struct stat info {};
  SaveImage image(limit);
  std::size_t got = 0;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    while (got < image.size()) {
      const ssize_t n = ::read(fd, image.data() + got, image.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
  }
  ::close(fd);
  image.resize(got);
  return image;
}

SaveImage TBrixSaveLoad::ReadImage() {
  SaveImage image = HeldBytes(SaveFileSize + 1);
  if (image.size() != SaveFileSize) return {};
  return image;
}

std::string TBrixSaveLoad::PlaceImage(const SaveImage& image, std::string& keptAs) {
  keptAs.clear();
  struct stat info {};
  if (::lstat(SaveFileName, &info) == 0) {
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) return "save.dat is " + InTheWay() + ", not a file";
    // A player's save is never lost to a replay: other bytes are kept beside it first.
    if (HeldBytes() != image) {
      keptAs = SetAside("replaced");
      if (keptAs.empty()) return std::string("cannot keep the old save.dat aside: ") + std::strerror(errno);
    } else if (::unlink(SaveFileName) != 0) {
      return std::string("cannot remove save.dat: ") + std::strerror(errno);
    }
  }
  if (image.empty()) return "";
  const int fd = ::open(SaveFileName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return std::string("cannot write save.dat: ") + std::strerror(errno);
  const bool ok = WriteAll(fd, image.data(), image.size());
  if (::close(fd) != 0 || !ok) return std::string("cannot write save.dat: ") + std::strerror(errno);
  return "";
}

std::string TBrixFileAccess::OutText(const std::string& fileName, const std::string& text, bool append) {
  const std::string failed = "【エラー】【TBrixFileAccess.OutText】" + fileName;
  const bool exists = ::access(fileName.c_str(), F_OK) == 0;
  // Non-blocking, so a pipe in the file's place with no reader fails at once instead of
  // stopping the game.
  const bool appending = append && exists;
  const int mode = appending ? O_APPEND : O_TRUNC;
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | mode, 0666);
  if (fd < 0) return failed;
  std::FILE* f = ::fdopen(fd, appending ? "ab" : "wb");
  if (!f) {
    ::close(fd);
    return failed;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  const bool closed = std::fclose(f) == 0;
  return written && closed ? ResultSuccess : failed;
}

}  // namespace vexa
