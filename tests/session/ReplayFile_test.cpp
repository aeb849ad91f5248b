#include <gtest/gtest.h>

#include <cctype>
#include <limits>
#include <sstream>

#include "session/ReplayFile.h"

namespace vexa {
namespace {

Replay Parse(const std::string& text) {
  std::istringstream in(text);
  return ParseReplay(in);
}

TEST(ReplayFile, ReadsTheDocumentedExample) {
  const Replay r = Parse(
      "vexa-replay 1\r\nseed 12345\nsteps 600\n# step event button x y\n\n  \t\n"
      "0 move none 300 200\n5 down left 320 200\n5\tup  left 320 200\n9 move right 310 205\n"
      "40 down right 200 100\n41 move left+right 150 -100\n");
  EXPECT_EQ(r.seed, 12345u);
  EXPECT_EQ(r.steps, 600);
  ASSERT_EQ(r.events.size(), 6u);
  EXPECT_EQ(r.events[1].kind, MouseEventKind::Down);
  EXPECT_EQ(r.events[1].button, MouseButton::Left);
  EXPECT_EQ(r.events[2].kind, MouseEventKind::Up);
  EXPECT_TRUE(r.events[5].held.left);
  EXPECT_TRUE(r.events[5].held.right);
  EXPECT_FALSE(r.events[5].held.middle);
  EXPECT_EQ(r.events[5].y, -100);
  for (const auto& e : r.events) EXPECT_EQ(Parse("vexa-replay 1\n" + FormatReplayEvent(e)).events.size(), 1u);
}

TEST(ReplayFile, EventsFormatBackToTheirOwnLine) {
  for (const char* line : {"0 move none 300 200", "7 down middle -5 2147483647", "9 up right 0 0",
                           "3 move left+right+middle -2147483648 1"}) {
    const Replay r = Parse(std::string("vexa-replay 1\n") + line + "\n");
    ASSERT_EQ(r.events.size(), 1u);
    EXPECT_EQ(FormatReplayEvent(r.events[0]), line);
  }
}

struct BadReplay {
  const char* text;
  int line;
};

class MalformedReplay : public ::testing::TestWithParam<BadReplay> {};

TEST_P(MalformedReplay, NamesTheLine) {
  try {
    Parse(GetParam().text);
    FAIL() << "accepted: " << GetParam().text;
  } catch (const ReplayError& e) {
    EXPECT_EQ(e.line, GetParam().line) << e.what();
    EXPECT_GT(std::string(e.what()).size(), 5u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedReplay,
    ::testing::Values(BadReplay{"", 1}, BadReplay{"vexa-replay 2\n", 1}, BadReplay{"# c\n0 move none 1 1\n", 2},
                      BadReplay{"vexa-replay 1\nseed -1\n", 2}, BadReplay{"vexa-replay 1\nseed 4294967296\n", 2},
                      BadReplay{"vexa-replay 1\nseed 1\nseed 2\n", 3}, BadReplay{"vexa-replay 1\nsteps x\n", 2},
                      BadReplay{"vexa-replay 1\n0 move none 1 1\nseed 3\n", 3},
                      BadReplay{"vexa-replay 1\n5 move none 1 1\n4 move none 1 1\n", 3},
                      BadReplay{"vexa-replay 1\n0 jump left 1 1\n", 2}, BadReplay{"vexa-replay 1\n0 down none 1 1\n", 2},
                      BadReplay{"vexa-replay 1\n0 move left+left 1 1\n", 2},
                      BadReplay{"vexa-replay 1\n0 move none 2147483648 1\n", 2},
                      BadReplay{"vexa-replay 1\n0 move none 1\n", 2}, BadReplay{"vexa-replay 1\n-1 move none 1 1\n", 2},
                      BadReplay{"vexa-replay 1\n0 move none 1 1 9\n", 2},
                      BadReplay{"vexa-replay 1\n0 move none +1 1\n", 2}, BadReplay{"vexa-replay 1\nbogus\n", 2},
                      // Digits only wherever a count or a step is read.
                      BadReplay{"vexa-replay 1\n-0 move none 1 1\n", 2}, BadReplay{"vexa-replay 1\nsteps -0\n", 2},
                      BadReplay{"vexa-replay 1\nsteps +5\n", 2}, BadReplay{"vexa-replay 1\nseed 0x1F\n", 2},
                      BadReplay{"vexa-replay 1\nsteps 9223372036854775808\n", 2},
                      BadReplay{"vexa-replay 1\n99999999999999999999 move none 1 1\n9 move none 1 1\n", 3},
                      BadReplay{"vexa-replay 1\n99999999999999999999 move none 1 1\n99999999999999999998 up left 1 1\n", 3},
                      // The save line.
                      BadReplay{"vexa-replay 1\nsave\n", 2}, BadReplay{"vexa-replay 1\nsave nothing\n", 2},
                      BadReplay{"vexa-replay 1\nsave 00\n", 2},
                      BadReplay{"vexa-replay 1\nsave none\nsave none\n", 3},
                      BadReplay{"vexa-replay 1\n0 move none 1 1\nsave none\n", 3},
                      // The lang line.
                      BadReplay{"vexa-replay 1\nlang\n", 2}, BadReplay{"vexa-replay 1\nlang fr\n", 2},
                      BadReplay{"vexa-replay 1\nlang EN\n", 2}, BadReplay{"vexa-replay 1\nlang en ja\n", 2},
                      BadReplay{"vexa-replay 1\nlang en\nlang en\n", 3},
                      BadReplay{"vexa-replay 1\n0 move none 1 1\nlang ja\n", 3},
                      BadReplay{"vexa-replay 1\nsave 0g0000000000000000000000000000000000000000000000000000000000000000000\n", 2}),
    // Named by their place in the list: a name made of the case's bytes changes from run to run.
    [](const ::testing::TestParamInfo<BadReplay>& info) { return "Case" + std::to_string(info.index); });

// A line's length has a limit, and a stream with no line break is refused at that limit
// instead of being read whole (--replay /dev/zero).
TEST(ReplayFile, ALineBeyondTheLimitIsMalformedAtOnce) {
  const std::string longest(MaxReplayLine, '#');
  EXPECT_NO_THROW(Parse("vexa-replay 1\n" + longest + "\n0 move none 1 1\n"));
  EXPECT_NO_THROW(Parse("vexa-replay 1\n" + longest.substr(1) + "\r\n"));
  for (const std::string& text : {"vexa-replay 1\n" + longest + "#\n", "vexa-replay 1\n" + longest + "\r\n",
                                  "vexa-replay 1\n0 move none 1 " + std::string(MaxReplayLine, '1')}) {
    try {
      Parse(text);
      FAIL() << "accepted a line of " << text.size() - 14 << " bytes";
    } catch (const ReplayError& e) {
      EXPECT_EQ(e.line, 2) << e.what();
      EXPECT_NE(std::string(e.what()).find("longer than 4096"), std::string::npos) << e.what();
    }
  }

  struct Zeros : std::streambuf {
    std::size_t given = 0;
    int_type underflow() override {
      static char zeros[512] = {};
      given += sizeof zeros;
      setg(zeros, zeros, zeros + sizeof zeros);
      return 0;
    }
  } zeros;
  std::istream endless(&zeros);
  EXPECT_THROW(ParseReplay(endless), ReplayError);
  EXPECT_LE(zeros.given, MaxReplayLine + 512);
}

TEST(ReplayFile, NumbersAreDecimalWithLeadingZerosAllowed) {
  const Replay r = Parse("vexa-replay 1\nseed 010\nsteps 007\n010 move none 1 1\n");
  EXPECT_EQ(r.seed, 10u);
  EXPECT_EQ(r.steps, 7);
  EXPECT_EQ(r.events.at(0).step, 10);
}

// The format sets no upper bound on a step: such an event simply waits past every run's end.
TEST(ReplayFile, AStepBeyondSixtyFourBitsComesAfterEveryStep) {
  const Replay r = Parse(
      "vexa-replay 1\n5 move none 1 1\n18446744073709551616 down left 1 1\n"
      "000000000000000000000018446744073709551616 up left 1 1\n99999999999999999999999 move none 1 1\n");
  ASSERT_EQ(r.events.size(), 4u);
  EXPECT_EQ(r.events[0].step, 5);
  for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(r.events[i].step, std::numeric_limits<std::int64_t>::max());
}

TEST(ReplayFile, TheSaveLineBringsTheBytesOrNone) {
  std::string hex;
  for (int i = 0; i < 34; ++i) hex += i % 2 ? "aB" : "09";
  const Replay r = Parse("vexa-replay 1\nsave " + hex + "\n");
  ASSERT_TRUE(r.save);
  ASSERT_EQ(r.save->size(), 34u);
  EXPECT_EQ((*r.save)[0], 0x09);
  EXPECT_EQ((*r.save)[1], 0xab);
  EXPECT_EQ(FormatSaveBytes(*r.save), [&] {
    std::string lower = hex;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
  }());
  const Replay none = Parse("vexa-replay 1\nsave none\n");
  ASSERT_TRUE(none.save);
  EXPECT_TRUE(none.save->empty());
  EXPECT_EQ(FormatSaveBytes(*none.save), "none");
  EXPECT_FALSE(Parse("vexa-replay 1\n").save);
}

// Without the line a replay plays the game as written, so every replay made before
// languages existed stays as it was.
TEST(ReplayFile, TheLangLineNamesTheLanguageAndItsAbsenceIsNone) {
  EXPECT_EQ(Parse("vexa-replay 1\nlang en\n").language, Language::English);
  EXPECT_EQ(Parse("vexa-replay 1\nseed 3\nlang ja\n0 move none 1 1\n").language, Language::Japanese);
  EXPECT_FALSE(Parse("vexa-replay 1\nseed 3\n").language);
}

}  // namespace
}  // namespace vexa
