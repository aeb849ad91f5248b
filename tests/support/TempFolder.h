#pragma once
// Runs a test inside a fresh empty folder, so "save.dat" and the report stay out of the tree.
#include <filesystem>
#include <string>

#include "lib/SystemFiles.h"

namespace vexa::test {

class TempFolder {
 public:
  TempFolder() {
    previous_ = std::filesystem::current_path();
    path_ = PathOf(MakeNewFolder(Utf8Of(std::filesystem::temp_directory_path() / "vexa-test-")));
    std::filesystem::current_path(path_);
  }
  ~TempFolder() {
    std::filesystem::current_path(previous_);
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace vexa::test
