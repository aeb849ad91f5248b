#include "lib/BrixSaveLoad.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

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

TEST_F(SaveFile, AFailedSaveKeepsThePreviousGoodSave) {
  ASSERT_EQ(TBrixSaveLoad::Save(block.data(), 24), "【成功】");
  const std::string good = ReadFile("save.dat");
  ASSERT_EQ(mkdir("save.dat.new", 0700), 0);  // the new file cannot be written, even by root
  const std::string other(24, '\x7f');
  EXPECT_EQ(TBrixSaveLoad::Save(other.data(), 24), "【エラー】セーブ失敗");
  EXPECT_EQ(ReadFile("save.dat"), good);
  char out[24] = {};
  EXPECT_EQ(TBrixSaveLoad::Load(out, 24), "【成功】");
}

TEST_F(SaveFile, ASaveThatCannotReplaceTheFileFailsAndLeavesNoTemporary) {
  ASSERT_EQ(mkdir("save.dat", 0700), 0);  // a folder in the way of the rename
  EXPECT_EQ(TBrixSaveLoad::Save(block.data(), 24), "【エラー】セーブ失敗");
  EXPECT_NE(access("save.dat.new", F_OK), 0);
}

TEST_F(SaveFile, APipeNamedSaveDatFailsToLoadWithoutWaiting) {
  ASSERT_EQ(mkfifo("save.dat", 0600), 0);
  char out[24] = {};
  std::string result;
  EXPECT_TRUE(test::ReturnsWithoutWaitingOn("save.dat", [&] { result = TBrixSaveLoad::Load(out, 24); }));
  EXPECT_EQ(result, "【エラー】ロード失敗");
  EXPECT_EQ(std::string(out, 24), std::string(24, '\0'));
}

// What an interrupted save, or anyone, may leave under the temporary name.
enum class LeftOver { File, Link, Pipe };

class SaveOverLeftOver : public SaveFile, public ::testing::WithParamInterface<LeftOver> {};

TEST_P(SaveOverLeftOver, IsReplacedNeverWrittenThrough) {
  WriteFile("elsewhere.txt", "not the game's");
  switch (GetParam()) {
    case LeftOver::File: WriteFile("save.dat.new", "half a sa"); break;
    case LeftOver::Link: ASSERT_EQ(symlink("elsewhere.txt", "save.dat.new"), 0); break;
    case LeftOver::Pipe: ASSERT_EQ(mkfifo("save.dat.new", 0600), 0); break;
  }
  std::string result;
  EXPECT_TRUE(test::ReturnsWithoutWaitingOn("save.dat.new", [&] { result = TBrixSaveLoad::Save(block.data(), 24); }));
  EXPECT_EQ(result, "【成功】");
  EXPECT_EQ(ReadFile("save.dat").substr(0, 24), block);
  EXPECT_EQ(ReadFile("elsewhere.txt"), "not the game's");
  struct stat info {};
  EXPECT_EQ(lstat("save.dat", &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_NE(access("save.dat.new", F_OK), 0);
}

std::string LeftOverName(const ::testing::TestParamInfo<LeftOver>& info) {
  switch (info.param) {
    case LeftOver::File: return "File";
    case LeftOver::Link: return "Link";
    case LeftOver::Pipe: return "Pipe";
  }
  return "";
}

INSTANTIATE_TEST_SUITE_P(Kinds, SaveOverLeftOver, ::testing::Values(LeftOver::File, LeftOver::Link, LeftOver::Pipe),
                         LeftOverName);

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
