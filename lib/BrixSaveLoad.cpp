#include "lib/BrixSaveLoad.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "lib/RenameNoReplace.h"
#include "lib/SystemFiles.h"

namespace vexa {

namespace {

constexpr const char* SaveFileName = "save.dat";
constexpr std::int32_t MaxBlock = 32768;

bool IsFileOrLink(FileKind kind) { return kind == FileKind::Regular || kind == FileKind::Link; }

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

  const std::string temp = MakeNewFile("save.dat.");
  if (temp.empty()) return failed;
  const int fd = OpenFile(temp, OpenFor::Writing);
  bool ok = fd >= 0 && WriteAll(fd, file.data(), file.size());
  ok = ok && SyncFile(fd);
  ok = fd >= 0 && CloseFile(fd) && ok;
  if (!ok || MoveOver(temp, SaveFileName) != 0) {
    RemoveFile(temp);
    return failed;
  }
  SyncFolder(".");
  return ResultSuccess;
}

bool TBrixSaveLoad::IsFileOrLink() { return vexa::IsFileOrLink(KindOf(SaveFileName)); }

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
      SyncFolder(".");
      return name;
    }
    if (errno != EEXIST) return "";
  }
  errno = EEXIST;
  return "";
}

std::string TBrixSaveLoad::SetAsideDamaged() { return SetAside("damaged"); }

std::string TBrixSaveLoad::InTheWay() {
  switch (KindOf(SaveFileName)) {
    case FileKind::None:
    case FileKind::Regular:
    case FileKind::Link: return "";
    case FileKind::Folder: return "a folder";
    case FileKind::Pipe: return "a named pipe";
    case FileKind::Socket: return "a socket";
    case FileKind::Device: return "a device";
  }
  return "";
}

std::string TBrixSaveLoad::WhyNotLoaded(std::int32_t size) {
  const int fd = OpenFile(SaveFileName, OpenFor::Reading);
  if (fd < 0) return SystemReason();
  const std::int64_t held = RegularFileSize(fd);
  std::string why;
  if (held < 0) why = "it is not a file";
  else if (held != size + 10)
    why = "it holds " + std::to_string(held) + " bytes, not " + std::to_string(size + 10);
  else {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(held));
    const long n = ReadSome(fd, bytes.data(), bytes.size());
    if (n < 0) why = SystemReason();
    else if (static_cast<std::size_t>(n) != bytes.size()) why = "it could not be read whole";
    else if (!std::equal(bytes.end() - 10, bytes.end(), CheckCode(bytes.data(), size).begin()))
      why = "its check code does not match its contents";
    else why = "its values are out of the game's range";
  }
  CloseFile(fd);
  return why;
}

std::string TBrixSaveLoad::Load(void* destination, std::int32_t size) {
  const std::string failed = "【エラー】ロード失敗";
  if (KindOf(SaveFileName, true) == FileKind::None) return std::string(ResultNoSaveFile) + "：save.dat";
  if (size < 0 || size > MaxBlock) return failed;
  // A pipe named save.dat reads as empty instead of waiting for a writer.
  const SaveImage held = HeldBytes(static_cast<std::size_t>(size) + 10);
  if (held.size() != static_cast<std::size_t>(size) + 10) return failed;
  std::array<std::uint8_t, 10> stored{};
  std::copy(held.end() - 10, held.end(), stored.begin());
  if (CheckCode(held.data(), size) != stored) return "【エラー】不正なデータ";
  std::copy(held.begin(), held.end() - 10, static_cast<std::uint8_t*>(destination));
  return ResultSuccess;
}

// Up to `limit` bytes of a regular "save.dat"; nothing for anything else or no file.
SaveImage TBrixSaveLoad::HeldBytes(std::size_t limit) {
  const int fd = OpenFile(SaveFileName, OpenFor::Reading);
  if (fd < 0) return {};
  SaveImage image(limit);
  std::size_t got = 0;
  if (RegularFileSize(fd) >= 0) {
    while (got < image.size()) {
      const long n = ReadSome(fd, image.data() + got, image.size() - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
  }
  CloseFile(fd);
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
  if (const FileKind kind = KindOf(SaveFileName); kind != FileKind::None) {
    if (!vexa::IsFileOrLink(kind)) return "save.dat is " + InTheWay() + ", not a file";
    // A player's save is never lost to a replay: other bytes are kept beside it first.
    if (HeldBytes() != image) {
      keptAs = SetAside("replaced");
      if (keptAs.empty()) return "cannot keep the old save.dat aside: " + SystemReason();
    } else if (RemoveFile(SaveFileName) != 0) {
      return "cannot remove save.dat: " + SystemReason();
    }
  }
  if (image.empty()) return "";
  const int fd = OpenFile(SaveFileName, OpenFor::NewOnly);
  if (fd < 0) return "cannot write save.dat: " + SystemReason();
  const bool ok = WriteAll(fd, image.data(), image.size());
  if (!CloseFile(fd) || !ok) return "cannot write save.dat: " + SystemReason();
  return "";
}

std::string TBrixFileAccess::OutText(const std::string& fileName, const std::string& text, bool append) {
  const std::string failed = "【エラー】【TBrixFileAccess.OutText】" + fileName;
  // A pipe in the file's place with no reader fails at once instead of stopping the game.
  const int fd = OpenFile(fileName, append ? OpenFor::Appending : OpenFor::Writing);
  if (fd < 0) return failed;
  const bool written = WriteAll(fd, text.data(), text.size());
  const bool closed = CloseFile(fd);
  return written && closed ? ResultSuccess : failed;
}

}  // namespace vexa
