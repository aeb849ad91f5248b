#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/UnitForm.h"
#include "lib/Journal.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(MapMouseX, KeepsTheTargetFortyEightPixelsLeftOfThePointerWithinTheArena) {
  struct {
    std::int32_t mouseX, target;
  } cases[] = {{0, 0},     {48, 0},     {49, 1},      {100, 52},          {599, 551},
               {648, 600}, {5000, 600}, {-300, 0},    {INT32_MIN, 0},     {INT32_MAX, 600}};
  GameState g;
  for (const auto& c : cases) {
    MapMouseX(g, c.mouseX);
    EXPECT_EQ(g.player.targetX, c.target) << "mouse x " << c.mouseX;
  }
}

// The real form, headless, in a folder of its own; the journal starts after start-up.
class Handlers : public ::testing::Test {
 protected:
  Handlers() : form(g, nullptr, {}, 0) { AttachJournal(&journal); }
  ~Handlers() override { AttachJournal(nullptr); }

  void Down(MouseButton b, std::int32_t x = 300) {
    form.PaintBoxMainMouseDown(b, ShiftState{b == MouseButton::Left, b == MouseButton::Right, b == MouseButton::Middle}, x,
                               200);
  }

  test::TempFolder folder;
  GameState g;
  TFormMain form;
  Journal journal;
};

TEST_F(Handlers, ALeftPressLatchesAClickAndMovesTheTarget) {
  Down(MouseButton::Left, 248);
  EXPECT_TRUE(g.clickLatch);
  EXPECT_FALSE(g.rightHeld);
  EXPECT_EQ(g.player.targetX, 200);
}

TEST_F(Handlers, TheGuardEndsOnARightReleaseOrOnAMoveWithoutTheRightButton) {
  struct {
    const char* how;
    void (*end)(TFormMain&);
    bool guarding;
  } cases[] = {
      {"right release", [](TFormMain& f) { f.PaintBoxMainMouseUp(MouseButton::Right, {}, 300, 200); }, false},
      {"left release", [](TFormMain& f) { f.PaintBoxMainMouseUp(MouseButton::Left, {false, true, false}, 300, 200); }, true},
      {"move, right held", [](TFormMain& f) { f.PaintBoxMainMouseMove({false, true, false}, 300, 200); }, true},
      // A release outside the window is never seen: the next move repairs it.
      {"move, right up", [](TFormMain& f) { f.PaintBoxMainMouseMove({}, 300, 200); }, false},
  };
  for (const auto& c : cases) {
    Down(MouseButton::Right);
    c.end(form);
    EXPECT_EQ(g.rightHeld, c.guarding) << c.how;
  }
}

TEST_F(Handlers, ARightPressInBattleRaisesTheGuardButLeavesTheMenu) {
  g.selectedCommand = 3;
  Down(MouseButton::Right);
  EXPECT_TRUE(g.rightHeld);
  EXPECT_EQ(g.selectedCommand, 3);
  EXPECT_THAT(journal.messages, IsEmpty());
}

TEST_F(Handlers, ARightPressBetweenBattlesAlsoCyclesTheMenu) {
  g.battleOn = false;
  g.selectedCommand = -1;
  Down(MouseButton::Right);
  EXPECT_TRUE(g.rightHeld);
  EXPECT_EQ(g.selectedCommand, 0);
  EXPECT_THAT(journal.messages, ElementsAre("⇒【セーブ】しますか？"));
  EXPECT_THAT(journal.sounds, ElementsAre("タ2.wav"));
}

TEST_F(Handlers, ARightPressDuringTheEndingOnlyGuards) {
  g.battleOn = false;
  g.ending = true;
  g.selectedCommand = -1;
  Down(MouseButton::Right);
  EXPECT_TRUE(g.rightHeld);
  EXPECT_EQ(g.selectedCommand, -1);
  EXPECT_THAT(journal.sounds, IsEmpty());
}

TEST_F(Handlers, TheMiddleButtonOnlyMovesTheTarget) {
  Down(MouseButton::Middle, 148);
  EXPECT_EQ(g.player.targetX, 100);
  EXPECT_FALSE(g.clickLatch);
  EXPECT_FALSE(g.rightHeld);
}

}  // namespace
}  // namespace vexa
