#pragma once
// "save.dat": a block of bytes followed by its 10-byte check code.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vexa {

inline constexpr const char* ResultSuccess = "【成功】";
inline constexpr const char* ResultNoSaveFile = "【エラー】セーブファイルなし";

// What a "save.dat" holds, for a replay to start from: its bytes when it is exactly a save's
// size (good or damaged), nothing for no save or anything else.
using SaveImage = std::vector<std::uint8_t>;
inline constexpr std::size_t SaveFileSize = 34;

struct TBrixSaveLoad {
  static std::string Save(const void* block, std::int32_t size);
  static std::string Load(void* destination, std::int32_t size);
  // Moves a "save.dat" that could not be loaded out of the next save's way, to
  // "save.dat.damaged" (or ".damaged.N" when that is taken). Returns the new name, or ""
  // when it is not a file or link or cannot be moved.
  static std::string SetAsideDamaged();
  // The same for any `kind` ("replaced"); "" with errno set when it cannot be moved.
  static std::string SetAside(const std::string& kind);
  static bool IsFileOrLink();
  // What stands where "save.dat" should be ("a folder", "a named pipe", ...), "" for a
  // file, a link or nothing.
  static std::string InTheWay();
  // Why an existing "save.dat" of a `size`-byte block does not load: the system's reason,
  // its length, or its check code.
  static std::string WhyNotLoaded(std::int32_t size);
  static SaveImage HeldBytes(std::size_t limit = 4096);
  static SaveImage ReadImage();
  // Makes "save.dat" a new file of exactly `image`, or removes it for an empty one. A file
  // or link in its place with other bytes is first kept as "save.dat.replaced[.N]", named
  // in `keptAs`; anything else in its place is refused. "" or the reason it failed.
  static std::string PlaceImage(const SaveImage& image, std::string& keptAs);

  static std::array<std::uint8_t, 10> CheckCode(const void* block, std::int32_t size);
};

struct TBrixFileAccess {
  // `text` is written byte for byte; `fileName` is a native (UTF-8) path.
  static std::string OutText(const std::string& fileName, const std::string& text, bool append);
};

}  // namespace vexa
