#include "platform/windows/CarriedData.h"

#include <filesystem>
#include <string_view>
#include <vector>

#include "lib/Inflate.h"
#include "lib/SystemFiles.h"

namespace vexa {

namespace {

bool SameBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const int fd = OpenFile(path, OpenFor::Reading);
  if (fd < 0) return false;
  const auto size = static_cast<std::int64_t>(bytes.size());
  bool same = RegularFileSize(fd) == size;
  std::vector<unsigned char> held(static_cast<std::size_t>(same ? size : 0));
  std::size_t got = 0;
  while (same && got < held.size()) {
    const long n = ReadSome(fd, held.data() + got, held.size() - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  CloseFile(fd);
  return same && got == held.size() && std::equal(held.begin(), held.end(), bytes.begin());
}

bool WriteWhole(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string temp = MakeNewFile(path + ".");
  if (temp.empty()) return false;
  const int fd = OpenFile(temp, OpenFor::Writing);
  bool ok = fd >= 0 && WriteAll(fd, bytes.data(), bytes.size());
  ok = fd >= 0 && CloseFile(fd) && ok;
  if (ok && MoveOver(temp, path) == 0) return true;
  RemoveFile(temp);
  return false;
}

}  // namespace

bool UnpackCarriedData(const std::string& folder, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(PathOf(folder) / "dat", ec);
  for (std::size_t i = 0; i < kCarriedFileCount; ++i) {
    const CarriedFile& file = kCarriedFiles[i];
    const auto bytes = Gunzip({file.begin, file.end});
    if (!bytes) {
      err << "vexa: the game's files inside this program are damaged (" << file.name << "): download it again\n";
      return false;
    }
    const std::string path = folder + "\\" + file.name;
    if (SameBytes(path, *bytes)) continue;
    if (!WriteWhole(path, *bytes)) {
      err << "vexa: cannot unpack the game's files into " << folder << ": " << SystemReason() << '\n';
      return false;
    }
  }
  return true;
}

}  // namespace vexa
