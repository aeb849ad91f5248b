#include "lib/GamePaths.h"
#include "lib/SystemFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/TempFolder.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> Needed{"dat\\a.bmp", "dat\\タ2.wav"};

void MakeData(const fs::path& folder, const std::vector<std::string>& names = Needed) {
  fs::create_directories(folder / "dat");
  for (const std::string& name : names) {
    std::string native = name;
    std::replace(native.begin(), native.end(), '\\', '/');
    std::ofstream(folder / PathOf(native)) << "x";
  }
}

// A complete dat/ in the current folder wins, then beside the executable, then <prefix>/share/vexa.
TEST(FindDataFolder, LooksInTheCurrentFolderThenBesideTheProgramThenTheInstalledData) {
  test::TempFolder folder;
  const fs::path root = folder.Path();
  fs::create_directories(root / "play");
  fs::create_directories(root / "prefix/bin");
  MakeData(root / "prefix/share/vexa");
  const std::string exe = Utf8Of(root / "prefix/bin/vexa");
  fs::current_path(root / "play");

  std::string found;
  std::vector<std::string> tried;
  ASSERT_TRUE(FindDataFolder(exe, Needed, found, tried));
  EXPECT_EQ(PathOf(found), root / "prefix/share/vexa");

  MakeData(root / "prefix/bin");
  ASSERT_TRUE(FindDataFolder(exe, Needed, found, tried));
  EXPECT_EQ(PathOf(found), root / "prefix/bin");

  MakeData(root / "play");
  ASSERT_TRUE(FindDataFolder(exe, Needed, found, tried));
  EXPECT_EQ(PathOf(found), root / "play");
}

// A player's own ~/dat, an empty one, or one with a file missing or a folder in a file's
// place must not hide the installed data.
TEST(FindDataFolder, PassesOverADatFolderThatLacksAFile) {
  test::TempFolder folder;
  const fs::path root = folder.Path();
  MakeData(root / "prefix/share/vexa");
  const std::string exe = Utf8Of(root / "prefix/bin/vexa");
  fs::create_directories(root / "prefix/bin");
  for (int variant = 0; variant < 3; ++variant) {
    const fs::path home = root / ("home" + std::to_string(variant));
    fs::create_directories(home / "dat");
    if (variant == 1) MakeData(home, {Needed[0]});
    if (variant == 2) {
      MakeData(home, {Needed[0]});
      fs::create_directories(home / PathOf("dat/タ2.wav"));
    }
    fs::current_path(home);
    std::string found;
    std::vector<std::string> tried;
    ASSERT_TRUE(FindDataFolder(exe, Needed, found, tried)) << variant;
    EXPECT_EQ(PathOf(found), root / "prefix/share/vexa") << variant;
  }
}

TEST(FindDataFolder, NamesEveryPlaceItTriedOnceWhenNothingIsThere) {
  test::TempFolder folder;
  const fs::path root = folder.Path();
  fs::create_directories(root / "bin");
  std::string found;
  std::vector<std::string> tried;
  EXPECT_FALSE(FindDataFolder(Utf8Of(root / "bin/vexa"), Needed, found, tried));
  ASSERT_GE(tried.size(), 3u);
  EXPECT_EQ(fs::path(tried[0]), root / "dat");
  EXPECT_EQ(fs::path(tried[1]), root / "bin/dat");

  // A place with a dat/ is named by the first file it lacks.
  MakeData(root, {Needed[0]});
  EXPECT_FALSE(FindDataFolder(Utf8Of(root / "bin/vexa"), Needed, found, tried));
  EXPECT_EQ(PathOf(tried[0]), root / PathOf("dat/タ2.wav"));

  // Started from the folder that holds the program: that folder is one place, named once.
  fs::current_path(root / "bin");
  EXPECT_FALSE(FindDataFolder(Utf8Of(root / "bin/vexa"), Needed, found, tried));
  std::vector<std::string> sorted = tried;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
  EXPECT_EQ(fs::path(tried[0]), root / "bin/dat");
}

TEST(NativePath, MapsTheGamesOwnNamesIntoTheDataFolder) {
  SetDataFolder("/opt/game");
  EXPECT_EQ(NativePath("dat\\タ2.wav"), "/opt/game/dat/タ2.wav");
  EXPECT_EQ(NativePath("save.dat"), "save.dat");
  SetDataFolder(VEXA_SOURCE_DIR);
}

}  // namespace
}  // namespace vexa
