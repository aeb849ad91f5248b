#include <gtest/gtest.h>

#include <sstream>

#include "core/Replay.h"

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
  EXPECT_EQ(r.events[1].kind, ReplayEventKind::Down);
  EXPECT_EQ(r.events[1].button, MouseButton::Left);
  EXPECT_EQ(r.events[2].kind, ReplayEventKind::Up);
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
                      BadReplay{"vexa-replay 1\n0 move none +1 1\n", 2}, BadReplay{"vexa-replay 1\nbogus\n", 2}));

}  // namespace
}  // namespace vexa
