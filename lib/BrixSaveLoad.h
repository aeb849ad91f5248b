#pragma once
// "save.dat": a block of bytes followed by its 10-byte check code.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vexa {

inline constexpr const char* ResultSuccess = "【成功】";

struct TBrixSaveLoad {
  static std::string Save(const void* block, std::int32_t size);
  static std::string Load(void* destination, std::int32_t size);
  static std::array<std::uint8_t, 10> CheckCode(const void* block, std::int32_t size);
};

struct TBrixFileAccess {
  // `text` is written byte for byte; `fileName` is a native (UTF-8) path.
  static std::string OutText(const std::string& fileName, const std::string& text, bool append);
};

}  // namespace vexa
