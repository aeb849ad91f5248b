#include "paint/MessagePanel.h"
#include "paint/StatusBars.h"
#include "record/MessageLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PaintFixture.h"
#include "lib/Checked.h"
#include "lib/Journal.h"
#include "paint/UnitPaint.h"

namespace vexa {
namespace {

using test::At;
using test::Put;
using test::Rgb3;
using test::White;
using ::testing::ElementsAre;

// ---------------------------------------------------------------------------------------
// FadeBand on a narrow strip; channels fade independently.

struct BandCase {
  const char* name;
  Rgb3 color;
  bool top;
  // Channel values of the six gradient rows, nearest the blank band first.
  std::array<int, 6> red, green;
};

class Fade : public ::testing::TestWithParam<BandCase> {};

TEST_P(Fade, GradientFollowsTheWorkedValues) {
  const BandCase& c = GetParam();
  auto s = test::Filled(4, 178, c.color);
  if (c.top)
    FadeBand(*s, 0, 29, 30, 35, true);
  else
    FadeBand(*s, 148, 177, 142, 147, false);

  const std::int32_t blankTop = c.top ? 0 : 148;
  for (std::int32_t r = blankTop; r < blankTop + 30; ++r) ASSERT_EQ(At(*s, 3, r), White) << r;
  for (int k = 0; k < 6; ++k) {
    const std::int32_t row = c.top ? 30 + k : 147 - k;
    SCOPED_TRACE(row);
    for (std::int32_t x = 0; x < 4; ++x) EXPECT_EQ(At(*s, x, row), (Rgb3{c.red[k], c.green[k], 255}));
  }
  // The text area between the bands is not touched.
  EXPECT_EQ(At(*s, 0, c.top ? 36 : 141), c.color);
}

constexpr std::array<int, 6> FromGrey{255, 191, 169, 159, 152, 148};
constexpr std::array<int, 6> FromBlack{255, 127, 85, 63, 51, 42};
INSTANTIATE_TEST_SUITE_P(Bands, Fade,
                         ::testing::Values(BandCase{"topGreyBlack", {127, 0, 255}, true, FromGrey, FromBlack},
                                           BandCase{"bottomGreyBlack", {127, 0, 255}, false, FromGrey, FromBlack},
                                           BandCase{"topBlackGrey", {0, 127, 255}, true, FromBlack, FromGrey}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FadeBandEdges, StaysInsideTheSurfaceAndThePanelWidth) {
  auto narrow = test::Filled(700, 150, {0, 0, 0});  // wider than the panel, shorter than the bottom band
  FadeBand(*narrow, 148, 177, 142, 147, false);
  EXPECT_EQ(At(*narrow, 599, 149), White);
  EXPECT_EQ(At(*narrow, 600, 149), (Rgb3{0, 0, 0}));   // right of the panel
  EXPECT_EQ(At(*narrow, 600, 147), (Rgb3{0, 0, 0}));
  EXPECT_EQ(At(*narrow, 599, 147), White);
  EXPECT_EQ(At(*narrow, 599, 142), (Rgb3{42, 42, 42}));
}

// ---------------------------------------------------------------------------------------

class Log : public ::testing::Test {
 protected:
  Log() { AttachJournal(&journal); }
  ~Log() override { AttachJournal(nullptr); }
  Journal journal;
  MessageLog log;
};

TEST_F(Log, AppendsBatchUpUntilALayoutHasRun) {
  AddMessage(log, "一");
  AddMessage(log, "二");
  EXPECT_EQ(log.count, 2);
  EXPECT_EQ(log.freshCount, 2);
  EXPECT_EQ(log.scroll, 56);
  EXPECT_EQ(log.lines[0], "一");
  EXPECT_EQ(log.lines[1], "二");

  log.laidOut = true;  // a frame was drawn in between
  AddMessage(log, "三");
  EXPECT_EQ(log.freshCount, 1);
  EXPECT_FALSE(log.laidOut);
  EXPECT_EQ(log.scroll, 84);
  EXPECT_THAT(journal.messages, ElementsAre("一", "二", "三"));
}

TEST_F(Log, TheLineAfterTheLastSlotRaisesAndIsNotStored) {
  for (int i = 0; i < LogCapacity; ++i) AddMessage(log, "行" + std::to_string(i));
  ASSERT_EQ(log.count, 256);
  const std::int32_t scroll = log.scroll;
  EXPECT_THROW(AddMessage(log, "溢れ"), VexaError);
  EXPECT_EQ(log.count, 256);
  EXPECT_EQ(log.scroll, scroll);
  EXPECT_EQ(log.freshCount, 256);
  EXPECT_EQ(log.lines[255], "行255");
  EXPECT_EQ(journal.messages.size(), 256u);
  EXPECT_EQ(journal.messages.back(), "行255");
}

TEST_F(Log, ClearSeedsFiveEmptyLinesAndAlmostNoScroll) {
  AddMessage(log, "古い");
  log.laidOut = true;
  journal.messages.clear();
  ClearMessageLog(log);
  EXPECT_EQ(log.count, 5);
  EXPECT_EQ(log.freshCount, 5);
  EXPECT_EQ(log.scroll, 1);
  EXPECT_FALSE(log.laidOut);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(log.lines[static_cast<std::size_t>(i)], "");
  EXPECT_EQ(journal.messages, std::vector<std::string>(5, ""));
}

// ---------------------------------------------------------------------------------------
// The panel drawn into a real backbuffer, compared with one drawn line by line by hand.

class Panel : public ::testing::Test {
 protected:
  Panel() {
    CreateBackbuffer(g);
    CreateBackbuffer(ref);
  }

  // A log at rest showing `lines` (oldest first), the newest batch being the last `fresh`.
  void AtRest(const std::vector<std::string>& lines, std::int32_t fresh) {
    MessageLog& log = g.messageLog;
    log.count = static_cast<std::int32_t>(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) log.lines[i] = lines[i];
    log.freshCount = fresh;
    log.scroll = 0;
    log.laidOut = true;
  }

  struct Line {
    std::string text;
    std::int32_t y;
    bool grey;
  };

  // The panel as it must look with these lines: clear, text, then both fades.
  void ExpectPanel(const std::vector<Line>& lines) {
    TBrixBitmap& r = *ref.backbuffer;
    for (std::int32_t y = 0; y < 178; ++y)
      for (std::int32_t x = 0; x < 600; ++x) Put(r, x, y, White);
    r.SetFontSize(22);
    for (const Line& l : lines) {
      r.SetTextColor(l.grey ? Rgb(127, 127, 127) : ColorBlack);
      r.DrawText(36, l.y, l.text);
    }
    FadeBand(r, 0, 29, 30, 35, true);
    FadeBand(r, 148, 177, 142, 147, false);
    EXPECT_GT(test::InkIn(r, 36, 142), 0) << "the reference drew no text: is a font installed?";
    EXPECT_EQ(test::FirstDifference(*g.backbuffer, r), "");
  }

  // Leftovers in both, so a layout that clears too little or too much shows.
  void Smudge() {
    g.backbuffer->Fill(Rgb(10, 20, 30));
    ref.backbuffer->Fill(Rgb(10, 20, 30));
  }

  GameState g;
  GameState ref;
};

TEST_F(Panel, OneLineRisesOverTenFramesAndTheOldestGoesAtSix) {
  ClearMessageLog(g.messageLog);
  LayoutMessageLog(*g.backbuffer, g.messageLog);
  AddMessage(g.messageLog, "新しい行");
  std::vector<std::int32_t> scrolls, counts;
  for (int frame = 0; frame < 11; ++frame) {
    LayoutMessageLog(*g.backbuffer, g.messageLog);
    scrolls.push_back(g.messageLog.scroll);
    counts.push_back(g.messageLog.count);
  }
  EXPECT_THAT(scrolls, ElementsAre(21, 15, 11, 8, 6, 4, 3, 2, 1, 0, 0));
  EXPECT_THAT(counts, ElementsAre(5, 5, 5, 5, 4, 4, 4, 4, 4, 4, 4));
  EXPECT_EQ(g.messageLog.lines[3], "新しい行");
  EXPECT_EQ(g.messageLog.lines[0], "");
  EXPECT_EQ(g.messageLog.freshCount, 1);
}

TEST_F(Panel, ThreeAppendsInOneStepShowFiveSlotsWithOnlyTheFifthBlack) {
  AtRest({"L0", "L1", "L2", "L3"}, 1);
  AddMessage(g.messageLog, "L4");
  AddMessage(g.messageLog, "L5");
  AddMessage(g.messageLog, "L6");
  Smudge();
  LayoutMessageLog(*g.backbuffer, g.messageLog);
  const MessageLog& log = g.messageLog;
  EXPECT_EQ(log.scroll, 63);
  EXPECT_EQ(log.count, 7);
  EXPECT_EQ(log.freshCount, 3);
  EXPECT_TRUE(log.laidOut);
  ExpectPanel({{"L0", 15, true}, {"L1", 43, true}, {"L2", 71, true}, {"L3", 99, true}, {"L4", 127, false}});
}

TEST_F(Panel, AtScrollSevenTheFifthSlotStillShows) {
  AtRest({"L0", "L1", "L2", "L3"}, 1);
  AddMessage(g.messageLog, "L4");
  g.messageLog.scroll = 10;  // decays to 7: keep 5, the newest line's top at row 127
  LayoutMessageLog(*g.backbuffer, g.messageLog);
  ASSERT_EQ(g.messageLog.scroll, 7);
  ASSERT_EQ(g.messageLog.count, 5);
  ExpectPanel({{"L0", 15, true}, {"L1", 43, true}, {"L2", 71, true}, {"L3", 99, true}, {"L4", 127, false}});
}

TEST_F(Panel, ALineDroppedFromTheTopLeavesTheRestInOrder) {
  AtRest({"L0", "L1", "L2", "L3"}, 1);
  AddMessage(g.messageLog, "L4");
  g.messageLog.scroll = 8;  // one frame before the trim
  LayoutMessageLog(*g.backbuffer, g.messageLog);      // decays to 6: keep 4
  ASSERT_EQ(g.messageLog.count, 4);
  EXPECT_EQ(g.messageLog.lines[0], "L1");
  EXPECT_EQ(g.messageLog.lines[3], "L4");
  ExpectPanel({{"L1", 42, true}, {"L2", 70, true}, {"L3", 98, true}, {"L4", 126, false}});
}

TEST_F(Panel, ABatchOfTwoStaysBlackUntilTheNextAppend) {
  AtRest({"L0", "L1", "L2", "L3"}, 1);
  AddMessage(g.messageLog, "A");
  AddMessage(g.messageLog, "B");
  for (int frame = 0; frame < 12; ++frame) LayoutMessageLog(*g.backbuffer, g.messageLog);
  // At rest again: four lines, the two of the batch still black.
  ASSERT_EQ(g.messageLog.scroll, 0);
  ASSERT_EQ(g.messageLog.count, 4);
  ExpectPanel({{"L2", 36, true}, {"L3", 64, true}, {"A", 92, false}, {"B", 120, false}});

  AddMessage(g.messageLog, "C");
  g.messageLog.scroll = 0;  // look at the colours alone, not the motion
  LayoutMessageLog(*g.backbuffer, g.messageLog);
  ExpectPanel({{"L3", 36, true}, {"A", 64, true}, {"B", 92, true}, {"C", 120, false}});
}

TEST_F(Panel, FirstLayoutAfterClearingRestsOnFourEmptyLines) {
  Smudge();
  ClearMessageLog(g.messageLog);
  LayoutMessageLog(*g.backbuffer, g.messageLog);
  EXPECT_EQ(g.messageLog.scroll, 0);
  EXPECT_EQ(g.messageLog.count, 4);
  LayoutMessageLog(*g.backbuffer, g.messageLog);
  EXPECT_EQ(g.messageLog.scroll, 0);
  EXPECT_EQ(g.messageLog.count, 4);
  // Blank panel over the leftovers; below row 177 nothing is touched.
  for (std::int32_t y = 0; y < 178; ++y) ASSERT_EQ(At(*g.backbuffer, 300, y), White) << y;
  EXPECT_EQ(At(*g.backbuffer, 300, 178), (Rgb3{10, 20, 30}));
  // The first line appended afterwards is the only black one.
  AddMessage(g.messageLog, "X");
  g.messageLog.scroll = 0;
  LayoutMessageLog(*g.backbuffer, g.messageLog);
  ExpectPanel({{"", 36, true}, {"", 64, true}, {"", 92, true}, {"X", 120, false}});
}

}  // namespace
}  // namespace vexa
