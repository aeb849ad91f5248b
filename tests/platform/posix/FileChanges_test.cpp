#include "platform/posix/FileChanges.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "lib/BrixSaveLoad.h"
#include "lib/RenameNoReplace.h"
#include "lib/SystemFiles.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

// The page stores its save folder only after the count moved: every way the game changes a
// file must move it, and a mere look must not (or the page would store after every step).
TEST(FileChanges, EveryChangeCountsAndNoLookDoes) {
  test::TempFolder folder;
  TBrixFileAccess::OutText("there.txt", "x", false);
  struct Case {
    const char* what;
    std::function<void()> act;
    bool changes;
  };
  const std::array<std::uint8_t, 4> block{1, 2, 3, 4};
  const std::vector<Case> cases{
      {"the game's save", [&] { TBrixSaveLoad::Save(block.data(), 4); }, true},
      {"the report", [] { TBrixFileAccess::OutText("report.txt", "line", true); }, true},
      // The page's way to keep a save aside (the desktop's renameat2 is not counted: no need).
      {"a kept-aside save", [] { RenameUnlessTaken("save.dat", "save.dat.kept"); }, true},
      {"a removal", [] { RemoveFile("there.txt"); }, true},
      {"a new folder", [] { MakeNewFolder("f."); }, true},
      {"a look at a file", [] { KindOf("report.txt"); }, false},
      {"a read", [] {
         const int fd = OpenFile("report.txt", OpenFor::Reading);
         char c;
         ReadSome(fd, &c, 1);
         CloseFile(fd);
       }, false},
  };
  for (const Case& c : cases) {
    const std::uint64_t before = FileChangesMade();
    c.act();
    EXPECT_EQ(FileChangesMade() != before, c.changes) << c.what;
  }
}

}  // namespace
}  // namespace vexa
