#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "lib/Checked.h"
#include "lib/Journal.h"
#include "lib/ShiftJis.h"
#include "paint/UnitPaint.h"
#include "stage/UnitStage.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

using ::testing::HasSubstr;

std::vector<std::string> Script(const GameState& g) {
  return {g.scriptLines.begin(), g.scriptLines.begin() + g.scriptCount};
}

void ExpectAssertion(const std::function<void()>& call, const char* unit, const std::string& what) {
  try {
    call();
    ADD_FAILURE() << what << " was accepted";
  } catch (const VexaError& e) {
    EXPECT_THAT(e.what(), HasSubstr(std::string("assertion failed (") + unit)) << what;
  }
}

TEST(StageTable, EveryRowAsPlayed) {
  struct {
    std::int32_t stage, maxHp, attack, maxAp, exp;
    std::uint8_t red, green, blue;
  } rows[] = {
      {1, 60, 6, 120, 1, 192, 192, 192},  {2, 50, 10, 80, 1, 128, 64, 64},    {3, 45, 8, 150, 2, 255, 255, 0},
      {4, 70, 15, 100, 2, 255, 192, 192}, {5, 30, 50, 40, 3, 255, 1, 1},      {6, 100, 30, 200, 3, 255, 255, 0},
      {7, 150, 25, 150, 4, 64, 64, 64},   {8, 180, 20, 180, 4, 192, 128, 64}, {9, 200, 25, 150, 5, 255, 255, 255},
      {10, 255, 45, 255, 5, 0, 0, 0},
  };
  for (const auto& r : rows) {
    const StageRow& row = StageTableRow(r.stage);
    EXPECT_EQ(row.maxHp, r.maxHp) << "stage " << r.stage;
    EXPECT_EQ(row.attack, r.attack) << "stage " << r.stage;
    EXPECT_EQ(row.maxAp, r.maxAp) << "stage " << r.stage;
    EXPECT_EQ(row.exp, r.exp) << "stage " << r.stage;
    EXPECT_EQ(row.color.red, r.red) << "stage " << r.stage;
    EXPECT_EQ(row.color.green, r.green) << "stage " << r.stage;
    EXPECT_EQ(row.color.blue, r.blue) << "stage " << r.stage;
  }
  EXPECT_FALSE(SameColor(StageTableRow(5).color, KeyColor));  // the red enemy must not vanish
}

TEST(StageTable, StagesOutsideOneToTenAreAssertions) {
  for (std::int32_t stage : {0, 11, -1, INT32_MIN}) {
    const std::string what = "stage " + std::to_string(stage);
    ExpectAssertion([&] { StageTableRow(stage); }, "UnitStage", what + " row");
    ExpectAssertion([&] { StageScriptLines(Language::Japanese, stage); }, "UnitStage", what + " script");
    ExpectAssertion([&] { StageScriptLines(Language::English, stage); }, "UnitStage", what + " English script");
  }
}

TEST(AddScriptLine, FillsOneHundredSlotsAndRefusesTheNext) {
  GameState g;
  for (std::int32_t i = 0; i < 100; ++i) AddScriptLine(g, "行" + std::to_string(i));
  EXPECT_EQ(g.scriptCount, 100);
  EXPECT_EQ(g.scriptLines[0], "行0");
  EXPECT_EQ(g.scriptLines[99], "行99");
  EXPECT_THROW(AddScriptLine(g, "あふれた行"), VexaError);
  EXPECT_EQ(g.scriptCount, 100);
  EXPECT_EQ(g.scriptNext, 0);

  GameState broken;
  broken.scriptCount = -1;
  EXPECT_THROW(AddScriptLine(broken, "行"), VexaError);
}

// StartStage loads the enemy's body parts from dat/, so these tests need the real pictures.
class StageStart : public ::testing::Test {
 protected:
  StageStart() {
    AttachJournal(&journal);
    g.player.isPlayer = true;
    CreateSpritePair(g.enemy.head);
    CreateSpritePair(g.enemy.body);
    CreateSpritePair(g.enemy.foot);
  }
  ~StageStart() override { AttachJournal(nullptr); }

  Journal journal;
  GameState g;
};

// The part as the game draws an enemy of this colour: recoloured and mirrored.
bool PartIs(const SpritePair& part, const char* fileName, ColorTriple color) {
  SpritePair expected;
  CreateSpritePair(expected);
  LoadSpritePair(expected, fileName, true, color);
  const auto same = [](const TBrixBitmap& a, const TBrixBitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Pixels().begin(), a.Pixels().end(), b.Pixels().begin(), SameColor);
  };
  return same(*part.shape, *expected.shape) && same(*part.outline, *expected.outline);
}

TEST_F(StageStart, EveryStageSetsUpItsEnemyAndItsScript) {
  for (std::int32_t stage = 1; stage <= 10; ++stage) {
    StartStage(g, stage);
    const StageRow& row = StageTableRow(stage);
    EXPECT_EQ(g.saveBlock.stage, stage);
    EXPECT_EQ(g.enemy.maxHp, row.maxHp) << "stage " << stage;
    EXPECT_EQ(g.enemy.hp, row.maxHp) << "stage " << stage;
    EXPECT_EQ(g.enemy.attack, row.attack) << "stage " << stage;
    EXPECT_EQ(g.enemy.maxAp, row.maxAp) << "stage " << stage;
    EXPECT_EQ(g.enemy.ap, row.maxAp) << "stage " << stage;
    EXPECT_EQ(g.enemy.exp, row.exp) << "stage " << stage;
    EXPECT_TRUE(PartIs(g.enemy.head, "dat\\vexa_head.bmp", row.color)) << "stage " << stage << " head";
    EXPECT_TRUE(PartIs(g.enemy.body, "dat\\vexa_body.bmp", row.color)) << "stage " << stage << " body";
    EXPECT_TRUE(PartIs(g.enemy.foot, "dat\\vexa_foot.bmp", row.color)) << "stage " << stage << " foot";
    EXPECT_EQ(Script(g), StageScriptLines(Language::Japanese, stage)) << "stage " << stage;
    EXPECT_EQ(g.scriptNext, 0);
  }
}

TEST_F(StageStart, TheScriptIsInTheRunsLanguage) {
  g.language = Language::English;
  StartStage(g, 3);
  EXPECT_EQ(Script(g), StageScriptLines(Language::English, 3));
  EXPECT_NE(Script(g), StageScriptLines(Language::Japanese, 3));
}

TEST_F(StageStart, StartsTheBattleAndLeavesThePlayerAlone) {
  g.player.x = 432;
  g.player.targetX = 410;
  g.player.maxHp = 90;
  g.player.hp = 7;
  g.player.maxAp = 150;
  g.player.ap = 33;
  g.player.exp = 12;
  g.selectedCommand = 4;
  g.messageLog.lines[0] = "前の行";
  g.messageLog.count = 1;
  g.battleOn = false;
  g.scriptCount = 15;
  g.scriptNext = 9;
  g.enemyMode = 33;
  g.enemyPhase = 201;
  g.enemy.hp = -20;
  g.enemy.ap = 0;
  g.enemy.x = -250;
  g.enemy.y = -900;

  StartStage(g, 4);

  EXPECT_EQ(g.saveBlock.stage, 4);
  EXPECT_TRUE(g.battleOn);
  EXPECT_EQ(g.scriptCount, 12);  // refilled from line 0, not appended to the 15 left over
  EXPECT_EQ(g.scriptNext, 0);
  EXPECT_EQ(g.scriptLines[0], StageScriptLines(Language::Japanese, 4)[0]);
  EXPECT_EQ(g.enemy.hp, 70);
  EXPECT_EQ(g.enemy.ap, 100);
  EXPECT_EQ(g.enemy.x, 0);
  EXPECT_EQ(g.enemy.y, 300);
  EXPECT_EQ(g.enemyMode, 0);
  EXPECT_EQ(g.enemyPhase, 0);

  EXPECT_EQ(g.player.x, 432);
  EXPECT_EQ(g.player.targetX, 410);
  EXPECT_EQ(g.player.hp, 7);
  EXPECT_EQ(g.player.ap, 33);
  EXPECT_EQ(g.player.maxHp, 90);
  EXPECT_EQ(g.player.exp, 12);
  EXPECT_EQ(g.selectedCommand, 4);
  EXPECT_EQ(g.messageLog.count, 1);
  EXPECT_TRUE(journal.messages.empty());  // the lines wait for missed swings
  EXPECT_TRUE(journal.sounds.empty());
}

TEST_F(StageStart, TrainingRunsTheSameStageAfresh) {
  StartStage(g, 6);
  g.enemy.hp = 1;
  g.enemy.ap = 3;
  g.scriptNext = 4;
  g.enemyMode = 52;
  g.battleOn = false;
  StartStage(g, 6);
  EXPECT_EQ(g.enemy.hp, 100);
  EXPECT_EQ(g.enemy.ap, 200);
  EXPECT_EQ(g.scriptCount, 4);
  EXPECT_EQ(g.scriptNext, 0);
  EXPECT_EQ(g.enemyMode, 0);
  EXPECT_TRUE(g.battleOn);
}

TEST_F(StageStart, AStageOutsideOneToTenIsAnAssertion) {
  for (std::int32_t stage : {0, 11}) {
    ExpectAssertion([&] { StartStage(g, stage); }, "UnitStage", "stage " + std::to_string(stage));
    ExpectAssertion([&] { SetUpStageEnemy(g, stage); }, "UnitStage", "enemy of stage " + std::to_string(stage));
  }
}

// The report is read by other programs: the same Shift-JIS line whatever the language.
TEST(StartEnding, WritesTheClearedReportAndFillsTheEndingLines) {
  for (const Language language : {Language::Japanese, Language::English}) {
    SCOPED_TRACE(std::string(LanguageName(language)));
    test::TempFolder folder;  // the report lands in the current folder
    Journal journal;
    AttachJournal(&journal);
    GameState g;
    g.language = language;
    g.saveBlock.stage = 10;
    g.saveBlock.trainingCount = 3;
    g.player.maxHp = 120;
    g.player.attack = 30;
    g.player.maxAp = 200;
    g.player.exp = 7;
    for (const std::string& line : StageScriptLines(language, 10)) AddScriptLine(g, line);
    g.scriptNext = 2;  // the rest of the last stage's lines are dropped

    StartEnding(g);
    AttachJournal(nullptr);

    EXPECT_TRUE(g.ending);
    EXPECT_EQ(Script(g), EndingScriptLines(language));
    EXPECT_EQ(g.scriptNext, 0);
    EXPECT_TRUE(journal.messages.empty());
    const auto expected = ToShiftJis("【V.E.X.A.レポート】【クリア】StageFinal／修行回数3／ＨＰ120／攻撃30／ＡＰ200／EXP7");
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(test::ReadFile(ReportFileName), *expected + "\r\n");
  }
}

}  // namespace
}  // namespace vexa
