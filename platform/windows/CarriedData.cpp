#include "platform/windows/CarriedData.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "lib/Crc32.h"
#include "lib/Inflate.h"
#include "lib/SystemFiles.h"

namespace vexa {

namespace {

// Whether the file at `path` has the length and CRC-32 the carried member's trailer gives: the
// check each start makes, without unpacking what is already in place.
bool AlreadyUnpacked(const std::string& path, const GzipSums& sums) {
  const int fd = OpenFile(path, OpenFor::Reading);
  if (fd < 0) return false;
  bool same = RegularFileSize(fd) == std::int64_t{sums.size};
  std::vector<unsigned char> held(same ? sums.size : 0);
  std::size_t got = 0;
  while (same && got < held.size()) {
    const long n = ReadSome(fd, held.data() + got, held.size() - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  CloseFile(fd);
  return same && got == held.size() && Crc32(0, held.data(), held.size()) == sums.crc;
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
    const std::span<const std::uint8_t> member{file.begin, file.end};
    const std::string path = folder + "\\" + file.name;
    const auto sums = GzipSumsOf(member);
    if (sums && AlreadyUnpacked(path, *sums)) continue;
    const auto bytes = Gunzip(member);
    if (!bytes) {
      err << "vexa: the game's files inside this program are damaged (" << file.name << "): download it again\n";
      return false;
    }
    if (!WriteWhole(path, *bytes)) {
      err << "vexa: cannot unpack the game's files into " << folder << ": " << SystemReason() << '\n';
      return false;
    }
  }
  return true;
}

}  // namespace vexa
