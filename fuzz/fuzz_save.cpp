// Any bytes as "save.dat": a result text, and the destination untouched unless it succeeded.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "FuzzFile.h"
#include "lib/BrixSaveLoad.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool entered = [] {
    const auto dir = std::filesystem::temp_directory_path() / ("vexa-fuzz-save-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    return true;
  }();
  (void)entered;
  std::FILE* f = std::fopen("save.dat", "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  std::uint8_t block[24];
  std::memset(block, 0xa5, sizeof block);
  const std::string result = vexa::TBrixSaveLoad::Load(block, 24);
  if (result != vexa::ResultSuccess) {
    for (std::uint8_t b : block)
      if (b != 0xa5) std::abort();
  } else if (size < 34 || std::memcmp(block, data, 24) != 0) {
    std::abort();
  }
  return 0;
}
