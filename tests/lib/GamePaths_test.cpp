#include "lib/GamePaths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempFolder.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// dat/ in the current folder wins, then beside the executable, then <prefix>/share/vexa.
TEST(FindDataFolder, LooksInTheCurrentFolderThenBesideTheProgramThenTheInstalledData) {
  test::TempFolder folder;
  const fs::path root = folder.Path();
  fs::create_directories(root / "play");
  fs::create_directories(root / "prefix/bin");
  fs::create_directories(root / "prefix/share/vexa/dat");
  const std::string exe = (root / "prefix/bin/vexa").string();
  fs::current_path(root / "play");

  std::string found;
  std::vector<std::string> tried;
  ASSERT_TRUE(FindDataFolder(exe, found, tried));
  EXPECT_EQ(fs::path(found), root / "prefix/share/vexa");

  fs::create_directories(root / "prefix/bin/dat");
  ASSERT_TRUE(FindDataFolder(exe, found, tried));
  EXPECT_EQ(fs::path(found), root / "prefix/bin");

  fs::create_directories(root / "play/dat");
  ASSERT_TRUE(FindDataFolder(exe, found, tried));
  EXPECT_EQ(fs::path(found), root / "play");
}

TEST(FindDataFolder, NamesEveryPlaceItTriedWhenNothingIsThere) {
  test::TempFolder folder;
  const fs::path root = folder.Path();
  fs::create_directories(root / "bin");
  std::string found;
  std::vector<std::string> tried;
  EXPECT_FALSE(FindDataFolder((root / "bin/vexa").string(), found, tried));
  ASSERT_GE(tried.size(), 3u);
  EXPECT_EQ(fs::path(tried[0]), root / "dat");
  EXPECT_EQ(fs::path(tried[1]), root / "bin/dat");
}

TEST(NativePath, MapsTheGamesOwnNamesIntoTheDataFolder) {
  SetDataFolder("/opt/game");
  EXPECT_EQ(NativePath("dat\\タ2.wav"), "/opt/game/dat/タ2.wav");
  EXPECT_EQ(NativePath("save.dat"), "save.dat");
  SetDataFolder(VEXA_SOURCE_DIR);
}

}  // namespace
}  // namespace vexa
