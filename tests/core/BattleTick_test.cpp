#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/UnitMain.h"
#include "support/GameFixture.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct DrainCase {
  const char* name;
  bool guarding, attacking;
  std::int32_t ap, hp;
  bool guardAfter, attackAfter;
  std::int32_t apAfter;
};

class DrainApCases : public ::testing::TestWithParam<DrainCase> {};

TEST_P(DrainApCases, PaysOrDropsTheFlags) {
  const DrainCase& c = GetParam();
  Fighter f;
  f.guarding = c.guarding;
  f.attacking = c.attacking;
  f.ap = c.ap;
  f.hp = c.hp;
  DrainAp(f);
  EXPECT_EQ(f.guarding, c.guardAfter);
  EXPECT_EQ(f.attacking, c.attackAfter);
  EXPECT_EQ(f.ap, c.apAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DrainApCases,
    ::testing::Values(DrainCase{"GuardWithTwoIsPaid", true, false, 2, 10, true, false, 0},
                      DrainCase{"GuardWithOneIsDropped", true, false, 1, 10, false, false, 1},
                      DrainCase{"GuardCancelsTheAttack", true, true, 50, 10, true, false, 48},
                      DrainCase{"GuardWithOneDropsTheAttackToo", true, true, 1, 10, false, false, 1},
                      DrainCase{"AttackWithTwentyIsPaid", false, true, 20, 10, false, true, 0},
                      DrainCase{"AttackWithNineteenIsDropped", false, true, 19, 10, false, false, 19},
                      DrainCase{"BeatenFighterIsNotCharged", true, true, 50, 0, true, true, 50}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegenAp, GivesOnePointUpToTheMaximumAndNothingToTheBeaten) {
  struct {
    std::int32_t hp, ap, maxAp, expected;
  } cases[] = {{10, 5, 100, 6}, {10, 100, 100, 100}, {10, 101, 100, 101}, {0, 5, 100, 5}, {-3, 5, 100, 5}};
  for (const auto& c : cases) {
    Fighter f;
    f.hp = c.hp;
    f.ap = c.ap;
    f.maxAp = c.maxAp;
    RegenAp(f);
    EXPECT_EQ(f.ap, c.expected) << "hp " << c.hp << " ap " << c.ap;
  }
}

using Battle = test::RulesTest;

TEST_F(Battle, ReachIsSeventeenPixels) {
  g.enemy.x = 100;
  g.player.x = 117;
  EXPECT_TRUE(InRange(g));
  g.player.x = 118;
  EXPECT_FALSE(InRange(g));
}

TEST_F(Battle, AHitInReachCostsHpAndKnocksBack) {
  g.enemy.x = 100;
  g.player.x = 117;
  g.player.attacking = true;
  ResolveHits(g);
  EXPECT_EQ(g.enemy.hp, 55);
  EXPECT_EQ(g.enemy.x, 75);
  EXPECT_EQ(g.enemy.targetX, 75);
  EXPECT_THAT(journal.messages, ElementsAre("ヒット！"));
  EXPECT_THAT(journal.sounds, ElementsAre("dun.wav"));
}

TEST_F(Battle, AMissShowsTheNextScriptLineAndWhiffs) {
  g.scriptLines[0] = "一行目";
  g.scriptCount = 1;
  g.enemy.x = 100;
  g.player.x = 118;
  g.enemy.attacking = true;  // the enemy's miss reads the script too
  ResolveHits(g);
  ResolveHits(g);
  EXPECT_EQ(g.scriptNext, 1);
  EXPECT_THAT(journal.messages, ElementsAre("一行目"));
  EXPECT_THAT(journal.sounds, ElementsAre("suka.wav", "suka.wav"));
}

TEST_F(Battle, AGuardByEitherFighterStopsTheWholeExchange) {
  for (const bool playerGuards : {true, false}) {
    SetFighter(g.player, 110, 50, 5, 100);
    SetFighter(g.enemy, 100, 60, 6, 120);
    g.player.guarding = playerGuards;
    g.enemy.guarding = !playerGuards;
    g.player.attacking = !playerGuards;
    g.enemy.attacking = playerGuards;
    journal = {};
    ResolveHits(g);
    EXPECT_EQ(g.player.hp, 50);
    EXPECT_EQ(g.enemy.hp, 60);
    EXPECT_THAT(journal.messages, IsEmpty());
    EXPECT_THAT(journal.sounds, ElementsAre("コン.wav"));
  }
}

TEST_F(Battle, BothAttackingInReachBothLandThePlayersFirst) {
  g.enemy.x = 100;
  g.player.x = 110;
  g.player.attacking = g.enemy.attacking = true;
  ResolveHits(g);
  EXPECT_EQ(g.enemy.hp, 55);
  EXPECT_EQ(g.player.hp, 44);
  EXPECT_EQ(g.enemy.x, 75);
  EXPECT_EQ(g.player.x, 140);
  EXPECT_EQ(g.player.targetX, 140);
  EXPECT_THAT(journal.messages, ElementsAre("ヒット！"));
}

TEST_F(Battle, ADoubleKnockOutIsADefeat) {
  SetFighter(g.player, 110, 6, 5, 100);
  SetFighter(g.enemy, 100, 5, 6, 120);
  g.enemy.exp = 3;
  g.player.attacking = g.enemy.attacking = true;
  ResolveHits(g);
  EXPECT_LE(g.player.hp, 0);
  EXPECT_LE(g.enemy.hp, 0);
  EXPECT_EQ(g.retryClicks, 10);
  EXPECT_TRUE(g.battleOn);
  EXPECT_EQ(g.player.exp, 0);
  EXPECT_THAT(journal.messages, ElementsAre("やられたーっ！"));
  EXPECT_THAT(journal.sounds, ElementsAre("break2.wav"));
}

TEST_F(Battle, AVictoryPaysTheFullRewardInTheMessageButCapsTheExp) {
  SetFighter(g.enemy, 100, 5, 6, 120);
  g.enemy.exp = 5;
  g.player.exp = 997;
  g.player.x = 110;
  g.player.hp = 7;
  g.player.ap = 3;
  g.player.attacking = true;
  g.selectedCommand = 4;
  ResolveHits(g);
  EXPECT_EQ(g.player.exp, 999);
  EXPECT_FALSE(g.battleOn);
  EXPECT_EQ(g.selectedCommand, -1);
  EXPECT_EQ(g.player.hp, 50);
  EXPECT_EQ(g.player.ap, 100);
  EXPECT_THAT(journal.messages, ElementsAre("やっつけたーっ！", "Exp5ポイントゲット！"));
  EXPECT_THAT(journal.sounds, ElementsAre("break2.wav"));
}

TEST_F(Battle, ABeatenFighterCannotBeHitAgain) {
  g.enemy.hp = 0;
  g.battleOn = false;
  g.selectedCommand = -1;
  g.enemy.x = 100;
  g.player.x = 105;
  g.player.attacking = true;
  ResolveHits(g);
  EXPECT_EQ(g.enemy.hp, 0);
  EXPECT_THAT(journal.sounds, ElementsAre("suka.wav"));  // between battles: the empty command
}

TEST_F(Battle, FightersWalkingIntoEachOtherStopTwoPixelsApart) {
  g.enemy.x = g.enemy.targetX = 200;
  g.player.x = 400;
  g.player.targetX = 0;  // aims left of the enemy
  MoveFighters(g);
  EXPECT_EQ(g.enemy.x, 200);
  EXPECT_EQ(g.player.x, 202);
}

TEST_F(Battle, ConflictingTargetsMeetWithinOneStep) {
  g.enemy.x = 100;
  g.enemy.targetX = 500;
  g.player.x = 300;
  g.player.targetX = 150;
  MoveFighters(g);
  EXPECT_LE(g.player.x - g.enemy.x, 2);
  EXPECT_GE(g.player.x - g.enemy.x, 1);
}

TEST_F(Battle, FreeTargetsAreReachedAtOnceAndClamped) {
  g.enemy.x = 100;
  g.enemy.targetX = -30;
  g.player.x = 300;
  g.player.targetX = 600;
  MoveFighters(g);
  EXPECT_EQ(g.player.x, 599);
  EXPECT_EQ(g.player.targetX, 600);
  EXPECT_EQ(g.enemy.x, 0);
}

TEST_F(Battle, ABeatenFighterFliesOffEveryStep) {
  g.enemy.hp = 0;
  g.enemy.x = 300;
  g.enemy.y = 300;
  FlyOff(g.enemy);
  EXPECT_EQ(g.enemy.x, 250);
  EXPECT_EQ(g.enemy.y, 275);
  EXPECT_EQ(g.enemy.targetX, 250);
  g.player.hp = -4;
  g.player.x = 100;
  FlyOff(g.player);
  EXPECT_EQ(g.player.x, 150);
}

TEST_F(Battle, AFighterLeftBeatenForWeeksStopsRisingInsteadOfOverflowing) {
  g.enemy.hp = 0;
  g.enemy.y = -999990;
  for (int i = 0; i < 5; ++i) {
    FlyOff(g.enemy);
    ClampX(g, g.enemy);
  }
  EXPECT_LE(g.enemy.y, -1000000);
  EXPECT_GT(g.enemy.y, -1000000 - 25);
}

TEST_F(Battle, NineteenApAtTheStartOfAStepStillPaysAnAttack) {
  // Between battles with nothing selected: a paid swing is the empty command.
  g.battleOn = false;
  g.enemy.hp = 0;
  g.selectedCommand = -1;
  for (const auto& [ap, sounds] : {std::pair{19, 1u}, std::pair{18, 0u}}) {
    g.player.ap = ap;
    g.clickLatch = true;
    journal = {};
    BattleTick(g);
    EXPECT_EQ(journal.sounds.size(), sounds) << "ap " << ap;
  }
}

TEST_F(Battle, ClicksBetweenTwoStepsAreOneClick) {
  g.battleOn = false;
  g.enemy.hp = 0;
  g.selectedCommand = -1;
  g.clickLatch = true;
  g.clickLatch = true;
  BattleTick(g);
  BattleTick(g);
  EXPECT_THAT(journal.sounds, ElementsAre("suka.wav"));
  EXPECT_EQ(g.player.ap, 100 - 20 + 1);
}

TEST_F(Battle, TheRetryCountdownCountsClicksNotSteps) {
  SetFighter(g.player, 500, 0, 5, 100);
  g.enemy.hp = 0;  // its misses would read script lines into the journal
  g.retryClicks = 10;
  for (int click = 9; click >= 1; --click) {
    g.clickLatch = true;
    BattleTick(g);
    BattleTick(g);  // a step without a click changes nothing
    EXPECT_EQ(g.retryClicks, click);
  }
  std::vector<std::string> expected;
  for (int n = 9; n >= 1; --n) expected.push_back("やり直すにはあと" + std::to_string(n) + "回クリックしてください。");
  EXPECT_EQ(journal.messages, expected);
  EXPECT_EQ(journal.sounds, std::vector<std::string>(9, "タ2.wav"));
}

TEST_F(Battle, TheBeatenPlayerCannotActDuringTheCountdown) {
  SetFighter(g.player, 500, 0, 5, 100);
  g.player.ap = 50;
  g.retryClicks = 10;
  g.rightHeld = true;
  g.clickLatch = true;
  LatchInput(g);
  EXPECT_FALSE(g.player.guarding);
  EXPECT_FALSE(g.player.attacking);
  EXPECT_FALSE(g.clickLatch);
  RegenAp(g.player);
  EXPECT_EQ(g.player.ap, 50);
}

TEST_F(Battle, WinningTheLastStageStartsTheEndingReadOneLinePerPaidClick) {
  g.saveBlock.stage = 10;
  SetFighter(g.enemy, 100, 5, 6, 120);
  g.player.x = 110;
  g.player.attacking = true;
  ResolveHits(g);
  ASSERT_TRUE(g.ending);
  EXPECT_FALSE(g.battleOn);
  EXPECT_EQ(g.scriptCount, 12);
  EXPECT_EQ(g.scriptNext, 0);

  journal = {};
  g.player.ap = 20;
  g.clickLatch = true;
  BattleTick(g);  // paid: the first ending line
  g.clickLatch = true;
  BattleTick(g);  // 1 AP: not paid, nothing happens
  ASSERT_EQ(journal.messages.size(), 1u);
  EXPECT_EQ(journal.messages[0], g.scriptLines[0]);
  EXPECT_THAT(journal.sounds, ElementsAre("suka.wav"));
  EXPECT_EQ(g.scriptNext, 1);
}

}  // namespace
}  // namespace vexa
