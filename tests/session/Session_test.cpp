#include "session/Session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "lib/BrixTimer.h"
#include "support/PaintFixture.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

struct CapturingScreen : PaintBox {
  void Show(const TBrixBitmap& frame, const FrameDamage&) override {
    ++shown;
    pixels = frame.Pixels();
  }
  int shown = 0;
  std::vector<ColorTriple> pixels;
};

class OneSession : public ::testing::Test {
 protected:
  test::TempFolder folder;  // the game reads and may write save.dat here
};

TEST_F(OneSession, AStepShowsItsComposedFrameThenWritesItsTraceLine) {
  CapturingScreen screen;
  std::ostringstream trace;
  SessionOptions options;
  options.seed = 9;
  options.screen = &screen;
  options.trace = &trace;
  options.recordFrom = SaveImage{};
  Session session(options);
  session.Step();
  session.Step();
  session.Post(MouseEvent{MouseEventKind::Down, MouseButton::Left, ShiftState{true, false, false}, 300, 200});
  session.Step();

  EXPECT_EQ(screen.shown, 3);
  EXPECT_TRUE(test::SamePixels(screen.pixels, session.Game().backbuffer->Pixels()));  // the last step's frame
  EXPECT_EQ(session.StepsRun(), 3);
  const std::string lines = trace.str();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 3);
  EXPECT_NE(lines.find("{\"step\":2,"), std::string::npos);
  // The click was recorded, numbered by the step it preceded.
  EXPECT_NE(session.Recording()->Text().find("\n2 down left 300 200\n"), std::string::npos);
  EXPECT_NE(session.Recording()->Text().find("\nsteps 3\n"), std::string::npos);
}

// A posted event reaches the form at once, not at the next step: a right click between
// battles chooses a command (and says so) before any step runs.
TEST_F(OneSession, APostedEventReachesTheFormAtOnce) {
  SessionOptions options;
  Session session(options);
  GameState& g = session.Game();
  session.Post(MouseEvent{MouseEventKind::Move, MouseButton::Left, ShiftState{}, 148, 200});
  EXPECT_EQ(g.player.targetX, 100);
  session.Post(MouseEvent{MouseEventKind::Down, MouseButton::Left, ShiftState{true, false, false}, 148, 200});
  EXPECT_TRUE(g.clickLatch);
  g.battleOn = false;
  g.selectedCommand = NoCommand;
  session.Post(MouseEvent{MouseEventKind::Down, MouseButton::Right, ShiftState{false, true, false}, 148, 200});
  EXPECT_TRUE(g.rightHeld);
  EXPECT_EQ(g.selectedCommand, 0);
  session.Post(MouseEvent{MouseEventKind::Up, MouseButton::Right, ShiftState{}, 148, 200});
  EXPECT_FALSE(g.rightHeld);
  EXPECT_EQ(session.StepsRun(), 0);
}

TEST_F(OneSession, TheJournalOfEachStepIsKeptUntilTheNext) {
  SessionOptions options;
  options.keepJournal = true;
  Session session(options);
  session.Step();
  const std::vector<std::string> startUp(5, "");  // start-up's cleared panel
  EXPECT_EQ(session.LastStepJournal().messages, startUp);
  session.Step();
  // Only the second step's own lines: none of start-up's are carried over.
  const auto& second = session.LastStepJournal().messages;
  EXPECT_EQ(std::count(second.begin(), second.end(), ""), 0);
}

// The check that drawing only what changed leaves the whole frame: a pixel left behind
// where nothing was redrawn stops the step, naming it.
TEST_F(OneSession, CheckingFramesCatchesAPixelThatWasNotRedrawn) {
  SessionOptions options;
  options.seed = 3;
  options.checkFrames = true;
  Session session(options);
  for (int i = 0; i < 3; ++i) ASSERT_NO_THROW(session.Step());
  session.Game().backbuffer->rows[440][5] = Rgb(1, 2, 3);  // below the bars, never drawn on
  try {
    session.Step();
    ADD_FAILURE() << "the stray pixel went unnoticed";
  } catch (const VexaError& e) {
    EXPECT_NE(std::string(e.what()).find("step 3:"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(" 5,440"), std::string::npos) << e.what();
  }
}

// The scheduler steps the game the window shows; once the game is gone, no entry is left
// that would step it.
TEST_F(OneSession, OnTheSchedulerItsEntryGoesWithIt) {
  const std::int32_t before = TBrixTimer::EntryCount();
  {
    SessionOptions options;
    options.onScheduler = true;
    Session session(options);
    ASSERT_EQ(TBrixTimer::EntryCount(), before + 1);
    TBrixTimer::Entry(before).proc();
    EXPECT_EQ(session.StepsRun(), 1);
  }
  TBrixTimer::Sweep();
  EXPECT_EQ(TBrixTimer::EntryCount(), before);
  TBrixTimer::Clear();
}

}  // namespace
}  // namespace vexa
