#include "session/CommandLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace vexa {
namespace {

struct Parsed {
  int status;
  Options options;
  std::string out, err;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "vexa");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  Parsed p;
  std::ostringstream out, err;
  p.status = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), p.options, out, err);
  p.out = out.str();
  p.err = err.str();
  return p;
}

TEST(CommandLine, HelpNamesEveryValueAndSaysWhereSavesGoAndWhatTheStatusesMean) {
  const Parsed p = Parse({"--help"});
  EXPECT_EQ(p.status, 0);
  for (const char* part : {"--replay FILE", "--dir DIR", "--seed N", "--steps N", "--trace OUT", "--frames DIR",
                           "--scale N|auto", "--record FILE", "--lang ja|en", "XDG_DATA_HOME", "Exit status", "F11"})
    EXPECT_NE(p.out.find(part), std::string::npos) << part;
  for (const char* clutter : {"Needs:", "Excludes:", "TEXT", "UINT"}) EXPECT_EQ(p.out.find(clutter), std::string::npos) << clutter;
}

// A usage error is one short line naming the option, and status 2.
TEST(CommandLine, UsageErrorsAreOneShortLine) {
  const std::vector<std::vector<std::string>> cases = {
      {"--dir", ""},           {"--scale"},           {"--scale", "9"},         {"--scale", "0x2"},
      {"--steps", "-1"},       {"--seed", "010x"},    {"--seed", "5"},          {"--frames", "f"},
      {"--replay", "r", "--record", "x"},             {"--replay", ""},         {"--bogus"},
      {"--lang", "fr"},        {"--lang", "JA"},      {"--lang"},
  };
  for (const auto& args : cases) {
    const Parsed p = Parse(args);
    EXPECT_EQ(p.status, 2) << args[0];
    EXPECT_EQ(p.err.rfind("vexa: ", 0), 0u) << p.err;
    EXPECT_EQ(std::count(p.err.begin(), p.err.end(), '\n'), 1) << p.err;
    EXPECT_LT(p.err.size(), 120u) << p.err;
    EXPECT_NE(p.err.find(args[0]), std::string::npos) << p.err;
  }
}

// An option left without its value is said in the game's words, not the argument library's.
TEST(CommandLine, AMissingValueIsSaidInTheGamesWords) {
  for (const char* option : {"--replay", "--record", "--dir", "--scale", "--seed", "--steps", "--trace", "--frames"}) {
    const Parsed p = Parse({option});
    EXPECT_EQ(p.status, 2) << option;
    EXPECT_EQ(p.err.rfind(std::string("vexa: ") + option + " needs ", 0), 0u) << p.err;
    for (const char* library : {"required", "TEXT", "missing"}) EXPECT_EQ(p.err.find(library), std::string::npos) << p.err;
  }
}

// Every number on the command line is read the way a replay's are: decimal digits, leading
// zeros allowed.
TEST(CommandLine, NumbersAreReadOneWay) {
  EXPECT_EQ(Parse({"--scale", "02"}).options.scale, 2);
  EXPECT_EQ(Parse({"--scale", "0000000000000000000000008"}).options.scale, 8);
  const Parsed p = Parse({"--replay", "r", "--seed", "010", "--steps", "007"});
  EXPECT_EQ(p.status, -1) << p.err;
  EXPECT_EQ(p.options.replay.seed, 10u);
  EXPECT_EQ(p.options.replay.steps, 7);
  for (const char* refused : {"0", "00", "+2", "-2", " 2", "2.0", "99999999999999999999"})
    EXPECT_EQ(Parse({"--scale", refused}).status, 2) << refused;
}

TEST(CommandLine, TheWindowGameKeepsItsSaveInTheDataFolderUnlessToldOtherwise) {
  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string before = saved ? saved : "";
  setenv("XDG_DATA_HOME", "/tmp/xdg-data", 1);
  EXPECT_EQ(Parse({}).options.dir, "/tmp/xdg-data/vexa");
  EXPECT_EQ(Parse({"--dir", "."}).options.dir, ".");
  EXPECT_EQ(Parse({"--replay", "r"}).options.dir, "");  // a replay keeps the folder it is started in
  if (saved) setenv("XDG_DATA_HOME", before.c_str(), 1);
  else unsetenv("XDG_DATA_HOME");
}

// The option reaches the window game and the replay alike; without it neither has one,
// so the replay's own line (or the locale, for the window) decides.
TEST(CommandLine, TheLanguageIsGivenOnlyWhenAsked) {
  EXPECT_EQ(Parse({"--lang", "en"}).options.language, Language::English);
  EXPECT_EQ(Parse({"--replay", "r", "--lang", "ja"}).options.replay.language, Language::Japanese);
  EXPECT_FALSE(Parse({}).options.language);
  EXPECT_FALSE(Parse({"--replay", "r"}).options.replay.language);
}

TEST(CommandLine, TheLocaleGivesJapaneseOnlyWhenItSaysSo) {
  const struct {
    const char* locale;
    Language language;
  } cases[] = {{"ja_JP.UTF-8", Language::Japanese}, {"ja", Language::Japanese}, {"en_GB.UTF-8", Language::English},
               {"C", Language::English}, {"", Language::English}, {nullptr, Language::English},
               {"fr_FR", Language::English}, {"jp", Language::English}};
  for (const auto& c : cases) EXPECT_EQ(LanguageOfLocale(c.locale), c.language) << (c.locale ? c.locale : "none");
}

TEST(CommandLine, ScaleAndFullScreenAreMarkedWhenGiven) {
  const Parsed p = Parse({"--scale", "auto"});
  EXPECT_EQ(p.options.scale, 0);
  EXPECT_TRUE(p.options.scaleGiven);
  EXPECT_FALSE(p.options.fullscreenGiven);
  const Parsed q = Parse({"--fullscreen"});
  EXPECT_FALSE(q.options.scaleGiven);
  EXPECT_TRUE(q.options.fullscreenGiven);
}

}  // namespace
}  // namespace vexa
