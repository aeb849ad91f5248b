#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/UnitForm.h"
#include "support/GameFixture.h"

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

// Forwards to the form's handlers without building the whole form.
class Handlers : public test::RulesTest {
 protected:
  void Down(MouseButton b, std::int32_t x = 300) {
    MapMouseX(g, x);
    if (b == MouseButton::Left) LeftDown(g);
    if (b == MouseButton::Right) RightDown(g);
  }
};

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
