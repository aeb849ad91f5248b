#include "lib/BrixSaveLoad.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <vector>

#include "support/Files.h"
#include "support/Pipes.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

using test::Hex;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

std::string CodeHex(const std::string& block) {
  const auto code = TBrixSaveLoad::CheckCode(block.data(), static_cast<std::int32_t>(block.size()));
  return Hex(std::string(code.begin(), code.end()));
}

TEST(CheckCode, MatchesTheWorkedValues) {
  EXPECT_EQ(CodeHex("abc"), "f3 22 51 80 af de 0d 3c 6b 9a");
  EXPECT_EQ(CodeHex(std::string(24, '\0')), "70 51 32 13 f4 d5 b6 97 78 59");
  EXPECT_EQ(CodeHex(""), "00 01 02 03 04 05 06 07 08 09");
}

class SaveFile : public ::testing::Test {
 protected:
  TempFolder folder;
  std::string block = std::string("\x01\x00\x00\x00\x46\x00\x00\x00\x07\x00\x00\x00\x6e\x00\x00\x00"
                                  "\x03\x00\x00\x00\x02\x00\x00\x00", 24);
};

TEST_F(SaveFile, SaveWritesTheBlockThenItsCheckCode) {
  ASSERT_EQ(TBrixSaveLoad::Save(block.data(), 24), "【成功】");
  const std::string file = ReadFile("save.dat");
  ASSERT_EQ(file.size(), 34u);
  EXPECT_EQ(file.substr(0, 24), block);
  EXPECT_EQ(Hex(file.substr(24)), CodeHex(block));
}

TEST_F(SaveFile, LoadRestoresWhatWasSaved) {
  ASSERT_EQ(TBrixSaveLoad::Save(block.data(), 24), "【成功】");
  char out[24] = {};
  EXPECT_EQ(TBrixSaveLoad::Load(out, 24), "【成功】");
  EXPECT_EQ(std::string(out, 24), block);
}

TEST_F(SaveFile, LoadWithoutAFileSaysSoAndLeavesTheDestination) {
  char out[24];
  std::memset(out, 0x5a, sizeof out);
  EXPECT_EQ(TBrixSaveLoad::Load(out, 24), "【エラー】セーブファイルなし：save.dat");
  EXPECT_EQ(std::string(out, 24), std::string(24, '\x5a'));
}

TEST_F(SaveFile, EveryChangedByteOfTheBlockIsRefused) {
  ASSERT_EQ(TBrixSaveLoad::Save(block.data(), 24), "【成功】");
  const std::string good = ReadFile("save.dat");
  for (int i = 0; i < 24; ++i) {
    for (int flip : {0x01, 0x80, 0xff}) {
      std::string bad = good;
      bad[static_cast<std::size_t>(i)] = static_cast<char>(bad[static_cast<std::size_t>(i)] ^ flip);
      WriteFile("save.dat", bad);
      char out[24];
      std::memset(out, 0x11, sizeof out);
      EXPECT_EQ(TBrixSaveLoad::Load(out, 24), "【エラー】不正なデータ") << "byte " << i << " ^ " << flip;
      EXPECT_EQ(std::string(out, 24), std::string(24, '\x11'));
    }
  }
}

TEST_F(SaveFile, ShortFilesFailAndExtraBytesAreIgnored) {
  ASSERT_EQ(TBrixSaveLoad::Save(block.data(), 24), "【成功】");
  const std::string good = ReadFile("save.dat");
  for (std::size_t length = 0; length < 34; ++length) {
    WriteFile("save.dat", good.substr(0, length));
    char out[24] = {};
    EXPECT_EQ(TBrixSaveLoad::Load(out, 24), "【エラー】ロード失敗") << length << " bytes";
    EXPECT_EQ(std::string(out, 24), std::string(24, '\0'));
  }
  WriteFile("save.dat", good + "trailing bytes");
  char out[24] = {};
  EXPECT_EQ(TBrixSaveLoad::Load(out, 24), "【成功】");
  EXPECT_EQ(std::string(out, 24), block);
}

// A file-size limit makes the write itself fail, even for root.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved);
    previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lower = saved;
    lower.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lower);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
  }
  rlimit saved{};
  void (*previous)(int);
};

std::vector<std::string> FolderEntries() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(".")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(SaveFile, AFailedSaveKeepsThePreviousGoodSaveAndLeavesNoTemporary) {
  ASSERT_EQ(TBrixSaveLoad::Save(block.data(), 24), "【成功】");
  const std::string good = ReadFile("save.dat");
  const std::string other(24, '\x7f');
  {
    FileSizeLimit limit(10);
    EXPECT_EQ(TBrixSaveLoad::Save(other.data(), 24), "【エラー】セーブ失敗");
  }
  EXPECT_EQ(ReadFile("save.dat"), good);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"save.dat"});
  char out[24] = {};
  EXPECT_EQ(TBrixSaveLoad::Load(out, 24), "【成功】");
}

TEST_F(SaveFile, ASaveThatCannotReplaceTheFileFailsAndLeavesNoTemporary) {
  ASSERT_EQ(mkdir("save.dat", 0700), 0);  // a folder in the way of the rename
  EXPECT_EQ(TBrixSaveLoad::Save(block.data(), 24), "【エラー】セーブ失敗");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"save.dat"});
}

TEST_F(SaveFile, ASaveIsAnOrdinaryFileForItsOwner) {
  const mode_t mask = umask(022);
  ASSERT_EQ(TBrixSaveLoad::Save(block.data(), 24), "【成功】");
  umask(mask);
  struct stat info {};
  ASSERT_EQ(stat("save.dat", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(SaveFile, APipeNamedSaveDatFailsToLoadWithoutWaiting) {
  ASSERT_EQ(mkfifo("save.dat", 0600), 0);
  char out[24] = {};
  std::string result;
  EXPECT_TRUE(test::ReturnsWithoutWaitingOn("save.dat", [&] { result = TBrixSaveLoad::Load(out, 24); }));
  EXPECT_EQ(result, "【エラー】ロード失敗");
  EXPECT_EQ(std::string(out, 24), std::string(24, '\0'));
}

// Whatever else lies in the folder, under any name a save once used or might use, is
// neither in a save's way nor touched by it.
enum class Stranger { File, Link, Pipe, Folder };

class SaveBesideStrangers : public SaveFile, public ::testing::WithParamInterface<Stranger> {};

TEST_P(SaveBesideStrangers, NeitherBlocksTheSaveNorIsTouched) {
  WriteFile("elsewhere.txt", "not the game's");
  for (const char* name : {"save.dat.new", "save.dat.XXXXXX", "save.dat.tmp"}) {
    switch (GetParam()) {
      case Stranger::File: WriteFile(name, "a player's own"); break;
      case Stranger::Link: ASSERT_EQ(symlink("elsewhere.txt", name), 0); break;
      case Stranger::Pipe: ASSERT_EQ(mkfifo(name, 0600), 0); break;
      case Stranger::Folder: ASSERT_EQ(mkdir(name, 0700), 0); break;
    }
  }
  const auto before = FolderEntries();
  std::string result;
  EXPECT_TRUE(test::ReturnsWithoutWaitingOn("save.dat.new", [&] { result = TBrixSaveLoad::Save(block.data(), 24); }));
  EXPECT_EQ(result, "【成功】");
  EXPECT_EQ(ReadFile("save.dat").substr(0, 24), block);
  EXPECT_EQ(ReadFile("elsewhere.txt"), "not the game's");
  if (GetParam() == Stranger::File) {
    EXPECT_EQ(ReadFile("save.dat.new"), "a player's own");
  }
  auto after = FolderEntries();
  after.erase(std::remove(after.begin(), after.end(), "save.dat"), after.end());
  EXPECT_EQ(after, before);
}

std::string StrangerName(const ::testing::TestParamInfo<Stranger>& info) {
  switch (info.param) {
    case Stranger::File: return "File";
    case Stranger::Link: return "Link";
    case Stranger::Pipe: return "Pipe";
    case Stranger::Folder: return "Folder";
  }
  return "";
}

INSTANTIATE_TEST_SUITE_P(Kinds, SaveBesideStrangers,
                         ::testing::Values(Stranger::File, Stranger::Link, Stranger::Pipe, Stranger::Folder),
                         StrangerName);

// A save that could not be loaded is kept under a name of its own, never over another kept one.
TEST_F(SaveFile, ADamagedSaveIsSetAsideUnderAFreeName) {
  WriteFile("save.dat", "first");
  EXPECT_EQ(TBrixSaveLoad::SetAsideDamaged(), "save.dat.damaged");
  WriteFile("save.dat", "second");
  EXPECT_EQ(TBrixSaveLoad::SetAsideDamaged(), "save.dat.damaged.1");
  ASSERT_EQ(symlink("elsewhere", "save.dat"), 0);
  EXPECT_EQ(TBrixSaveLoad::SetAsideDamaged(), "save.dat.damaged.2");
  EXPECT_EQ(ReadFile("save.dat.damaged"), "first");
  EXPECT_EQ(ReadFile("save.dat.damaged.1"), "second");
  char target[32] = {};
  EXPECT_EQ(readlink("save.dat.damaged.2", target, sizeof target - 1), 9);
  EXPECT_EQ(access("save.dat", F_OK), -1);
}

TEST_F(SaveFile, OnlyAFileOrLinkIsSetAside) {
  EXPECT_EQ(TBrixSaveLoad::SetAsideDamaged(), "");  // nothing there
  ASSERT_EQ(mkdir("save.dat", 0700), 0);
  EXPECT_EQ(TBrixSaveLoad::SetAsideDamaged(), "");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"save.dat"});
}

// What a replay brings as its starting save: exactly 34 bytes, or nothing at all.
TEST_F(SaveFile, AnImageIsTheFileOnlyWhenItHoldsExactlyASavesSize) {
  EXPECT_TRUE(TBrixSaveLoad::ReadImage().empty());
  const std::string bytes34(34, '\x05');
  for (const std::size_t length : {0u, 33u, 35u}) {
    WriteFile("save.dat", std::string(length, 'x'));
    EXPECT_TRUE(TBrixSaveLoad::ReadImage().empty()) << length;
  }
  WriteFile("save.dat", bytes34);
  EXPECT_EQ(TBrixSaveLoad::ReadImage(), SaveImage(34, 5));
  ASSERT_EQ(unlink("save.dat"), 0);
  ASSERT_EQ(mkfifo("save.dat", 0600), 0);
  SaveImage image{1};
  EXPECT_TRUE(test::ReturnsWithoutWaitingOn("save.dat", [&] { image = TBrixSaveLoad::ReadImage(); }));
  EXPECT_TRUE(image.empty());
}

TEST_F(SaveFile, PlacingAnImageReplacesAFileOrLinkAndRefusesAnythingElse) {
  std::string kept;
  WriteFile("elsewhere.txt", "not the game's");
  ASSERT_EQ(symlink("elsewhere.txt", "save.dat"), 0);
  EXPECT_EQ(TBrixSaveLoad::PlaceImage(SaveImage(34, 7), kept), "");
  EXPECT_EQ(ReadFile("save.dat"), std::string(34, '\x07'));
  EXPECT_EQ(ReadFile("elsewhere.txt"), "not the game's");
  EXPECT_EQ(kept, "save.dat.replaced");
  char target[32] = {};
  EXPECT_EQ(readlink("save.dat.replaced", target, sizeof target - 1), 13);  // the link itself, kept
  EXPECT_EQ(TBrixSaveLoad::PlaceImage(SaveImage{}, kept), "");
  EXPECT_NE(access("save.dat", F_OK), 0);
  ASSERT_EQ(mkdir("save.dat", 0700), 0);
  EXPECT_EQ(TBrixSaveLoad::PlaceImage(SaveImage(34, 7), kept), "save.dat is a folder, not a file");
}

// A player's save in a replay's folder is never lost: other bytes are kept, each under a free
// name; the same bytes need no copy.
TEST_F(SaveFile, PlacingAnImageKeepsADifferentSaveAsReplaced) {
  struct Case {
    std::string held;     // what save.dat holds before
    SaveImage image;      // what the replay brings
    std::string keptAs;   // "" = nothing kept
  };
  const std::string player(34, '\x05');
  const std::vector<Case> cases{
      {player, SaveImage{}, "save.dat.replaced"},             // save none
      {player, SaveImage(34, 7), "save.dat.replaced.1"},      // another save
      {"damaged", SaveImage(34, 7), "save.dat.replaced.2"},   // even a damaged one
      {player, SaveImage(34, 5), ""},                         // the same bytes
  };
  for (const Case& c : cases) {
    WriteFile("save.dat", c.held);
    std::string kept = "stale";
    EXPECT_EQ(TBrixSaveLoad::PlaceImage(c.image, kept), "") << c.keptAs;
    EXPECT_EQ(kept, c.keptAs);
    if (!c.keptAs.empty()) {
      EXPECT_EQ(ReadFile(c.keptAs), c.held);
    }
    if (c.image.empty()) {
      EXPECT_NE(access("save.dat", F_OK), 0);
    } else {
      EXPECT_EQ(ReadFile("save.dat"), std::string(c.image.begin(), c.image.end()));
    }
  }
  EXPECT_EQ(FolderEntries(),
            (std::vector<std::string>{"save.dat", "save.dat.replaced", "save.dat.replaced.1", "save.dat.replaced.2"}));
}

// Said at start instead of every save failing without a reason.
TEST_F(SaveFile, WhatStandsInTheSavesPlaceAndWhyASaveDoesNotLoadAreNamed) {
  EXPECT_EQ(TBrixSaveLoad::InTheWay(), "");
  WriteFile("save.dat", "short");
  EXPECT_EQ(TBrixSaveLoad::InTheWay(), "");
  EXPECT_EQ(TBrixSaveLoad::WhyNotLoaded(24), "it holds 5 bytes, not 34");
  WriteFile("save.dat", std::string(34, 'x'));
  EXPECT_EQ(TBrixSaveLoad::WhyNotLoaded(24), "its check code does not match its contents");
  if (geteuid() != 0) {  // root reads anything
    ASSERT_EQ(chmod("save.dat", 0), 0);
    EXPECT_EQ(TBrixSaveLoad::WhyNotLoaded(24), std::strerror(EACCES));
  }
  ASSERT_EQ(unlink("save.dat"), 0);
  ASSERT_EQ(symlink("nowhere", "save.dat"), 0);
  EXPECT_EQ(TBrixSaveLoad::WhyNotLoaded(24), std::strerror(ENOENT));
  ASSERT_EQ(unlink("save.dat"), 0);
  ASSERT_EQ(mkdir("save.dat", 0700), 0);
  EXPECT_EQ(TBrixSaveLoad::InTheWay(), "a folder");
  ASSERT_EQ(rmdir("save.dat"), 0);
  ASSERT_EQ(mkfifo("save.dat", 0600), 0);
  EXPECT_EQ(TBrixSaveLoad::InTheWay(), "a named pipe");
}

TEST_F(SaveFile, BlocksBeyondTheLimitAreRefused) {
  std::string big(32769, 'x');
  EXPECT_EQ(TBrixSaveLoad::Save(big.data(), 32769), "【エラー】セーブ失敗");
  WriteFile("save.dat", std::string(40000, 'x'));
  EXPECT_EQ(TBrixSaveLoad::Load(big.data(), 32769), "【エラー】ロード失敗");
}

struct OutTextCase {
  const char* name;
  bool existing;
  bool append;
  const char* expected;
};

class OutText : public ::testing::TestWithParam<OutTextCase> {
 protected:
  TempFolder folder;
};

TEST_P(OutText, ReplacesOrAppends) {
  const OutTextCase& c = GetParam();
  if (c.existing) WriteFile("out.txt", "old|");
  EXPECT_EQ(TBrixFileAccess::OutText("out.txt", "new", c.append), "【成功】");
  EXPECT_EQ(ReadFile("out.txt"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, OutText,
                         ::testing::Values(OutTextCase{"ReplaceExisting", true, false, "new"},
                                           OutTextCase{"AppendExisting", true, true, "old|new"},
                                           OutTextCase{"AppendCreatesMissing", false, true, "new"},
                                           OutTextCase{"ReplaceCreatesMissing", false, false, "new"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OutTextErrors, AMissingFolderNamesTheFile) {
  TempFolder folder;
  EXPECT_EQ(TBrixFileAccess::OutText("no/such/dir/r.txt", "x", false),
            "【エラー】【TBrixFileAccess.OutText】no/such/dir/r.txt");
}

TEST(OutTextErrors, APipeWithNoReaderFailsWithoutWaiting) {
  TempFolder folder;
  ASSERT_EQ(mkfifo("r.txt", 0600), 0);
  for (bool append : {false, true}) {
    std::string result;
    const auto write = [&] { result = TBrixFileAccess::OutText("r.txt", "x", append); };
    EXPECT_TRUE(test::ReturnsWithoutWaitingOn("r.txt", write)) << "append " << append;
    EXPECT_EQ(result, "【エラー】【TBrixFileAccess.OutText】r.txt");
  }
}

TEST(OutTextErrors, BytesAreWrittenUnchanged) {
  TempFolder folder;
  const std::string bytes("\x83\x8c\x83\x7c\x81\x5b\x83\x67\r\n\0x", 12);
  EXPECT_EQ(TBrixFileAccess::OutText("r.txt", bytes, false), "【成功】");
  EXPECT_EQ(ReadFile("r.txt"), bytes);
}

}  // namespace
}  // namespace vexa
