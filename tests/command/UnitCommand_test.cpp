#include "command/UnitCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/UnitMain.h"
#include "lib/ShiftJis.h"
#include "support/Files.h"
#include "support/GameFixture.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Commands : public test::RulesTest {
 protected:
  Commands() {
    g.battleOn = false;
    g.enemy.hp = 0;
    g.selectedCommand = -1;
  }
  // A left click between battles: the swing of the next step.
  void Click() {
    g.clickLatch = true;
    BattleTick(g);
  }
};

TEST_F(Commands, TheMenuCyclesThroughSixPromptsWithTheExpOfTheMoment) {
  g.player.exp = 7;
  for (int i = 0; i < 7; ++i) CycleCommand(g);
  EXPECT_EQ(g.selectedCommand, 0);
  EXPECT_THAT(journal.messages,
              ElementsAre("⇒【セーブ】しますか？", "⇒【ＨＰ強化】しますか？（残りExp：7）",
                          "⇒【攻撃強化】しますか？（残りExp：7）", "⇒【ＡＰ強化】しますか？（残りExp：7）",
                          "⇒【修行】しますか？", "⇒【前進】しますか？", "⇒【セーブ】しますか？"));
  EXPECT_EQ(journal.sounds, std::vector<std::string>(7, "タ2.wav"));
}

TEST_F(Commands, TheEndingClosesTheMenu) {
  g.ending = true;
  CycleCommand(g);
  EXPECT_EQ(g.selectedCommand, -1);
  EXPECT_THAT(journal.messages, IsEmpty());
  EXPECT_THAT(journal.sounds, IsEmpty());
}

TEST_F(Commands, NothingSelectedOnlyWhiffs) {
  RunCommand(g);
  EXPECT_THAT(journal.messages, IsEmpty());
  EXPECT_THAT(journal.sounds, ElementsAre("suka.wav"));
}

struct UpgradeCase {
  const char* name;
  std::int32_t command;
  std::int32_t exp, maxHp, attack, maxAp;
  std::int32_t expAfter, maxHpAfter, attackAfter, maxApAfter;
  const char* message;
  const char* sound;
};

class Upgrades : public Commands, public ::testing::WithParamInterface<UpgradeCase> {};

TEST_P(Upgrades, RaiseOrRefuse) {
  const UpgradeCase& c = GetParam();
  g.player.exp = c.exp;
  g.player.maxHp = c.maxHp;
  g.player.attack = c.attack;
  g.player.maxAp = c.maxAp;
  g.player.hp = 1;
  g.player.ap = 1;
  g.selectedCommand = c.command;
  RunCommand(g);
  EXPECT_EQ(g.player.exp, c.expAfter);
  EXPECT_EQ(g.player.maxHp, c.maxHpAfter);
  EXPECT_EQ(g.player.attack, c.attackAfter);
  EXPECT_EQ(g.player.maxAp, c.maxApAfter);
  EXPECT_THAT(journal.messages, ElementsAre(c.message));
  EXPECT_THAT(journal.sounds, ElementsAre(c.sound));
  const bool raised = std::string(c.sound) == "up.wav";
  EXPECT_EQ(g.player.hp, raised ? g.player.maxHp : 1);  // a successful upgrade refills
  EXPECT_EQ(g.player.ap, raised ? g.player.maxAp : 1);
  EXPECT_EQ(g.selectedCommand, c.command);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Upgrades,
    ::testing::Values(
        UpgradeCase{"HpByTen", 1, 3, 50, 5, 100, 2, 60, 5, 100, "ＨＰがアップした！（残りExp：2）", "up.wav"},
        UpgradeCase{"HpCutTo255", 1, 1, 250, 5, 100, 0, 255, 5, 100, "ＨＰがアップした！（残りExp：0）", "up.wav"},
        UpgradeCase{"AttackByOne", 2, 1, 50, 5, 100, 0, 50, 6, 100, "攻撃がアップした！（残りExp：0）", "up.wav"},
        UpgradeCase{"ApByFive", 3, 2, 50, 5, 254, 1, 50, 5, 255, "ＡＰがアップした！（残りExp：1）", "up.wav"},
        UpgradeCase{"NoExpLeft", 2, 0, 50, 5, 100, 0, 50, 5, 100, "EXPが足りません。", "bub.wav"},
        UpgradeCase{"AtTheLimitCostsNothing", 1, 0, 255, 5, 100, 0, 255, 5, 100, "これ以上は増やせません。", "bub.wav"},
        UpgradeCase{"LimitBeforeExp", 3, 4, 50, 5, 255, 4, 50, 5, 255, "これ以上は増やせません。", "bub.wav"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Commands, RepeatedClicksRepeatTheCommandWhileTheyArePaid) {
  g.selectedCommand = 2;  // attack
  g.player.exp = 1;
  g.player.ap = 40;
  Click();  // paid, upgraded, refilled
  EXPECT_EQ(g.player.attack, 6);
  EXPECT_EQ(g.player.ap, 100);
  Click();  // paid, refused for lack of EXP
  Click();
  EXPECT_EQ(g.player.ap, 100 - 20 + 1 - 20);  // full AP regains nothing before the first payment
  EXPECT_THAT(journal.sounds, ElementsAre("up.wav", "bub.wav", "bub.wav"));
}

TEST_F(Commands, ASuccessfulSaveWritesTheFileAndTheReport) {
  g.saveBlock.stage = 3;
  g.saveBlock.trainingCount = 2;
  g.player.maxHp = 70;
  g.player.attack = 7;
  g.player.maxAp = 110;
  g.player.exp = 1;
  g.selectedCommand = 0;
  RunCommand(g);
  EXPECT_THAT(journal.messages, ElementsAre("セーブしました。"));
  EXPECT_THAT(journal.sounds, ElementsAre("popon.wav"));
  EXPECT_EQ(test::Hex(test::ReadFile("save.dat").substr(0, 24)),
            "01 00 00 00 46 00 00 00 07 00 00 00 6e 00 00 00 03 00 00 00 02 00 00 00");
  const std::string report = test::ReadFile("レポート.txt");
  EXPECT_EQ(report, *ToShiftJis("【V.E.X.A.レポート】Stage3／修行回数2／ＨＰ70／攻撃7／ＡＰ110／EXP1") + "\r\n");
}

TEST_F(Commands, AFailedSaveSaysSoAndWritesNoReport) {
  ASSERT_TRUE(std::filesystem::create_directory("save.dat"));  // nothing can replace a folder
  g.saveBlock.stage = 2;
  g.selectedCommand = 0;
  RunCommand(g);
  EXPECT_THAT(journal.messages, ElementsAre("セーブ出来ませんでした。"));
  EXPECT_THAT(journal.sounds, ElementsAre("bub.wav"));
  EXPECT_NE(access("レポート.txt", F_OK), 0);
  EXPECT_EQ(g.saveBlock.maxHp, 50);  // the copy was made all the same
}

TEST_F(Commands, ASaveOverADamagedSaveKeepsTheOldBytesAside) {
  test::WriteFile("save.dat", "not a save");
  g.damagedSave = true;
  g.saveBlock.stage = 2;
  g.selectedCommand = 0;
  RunCommand(g);
  EXPECT_THAT(journal.messages, ElementsAre("セーブしました。"));
  EXPECT_EQ(test::ReadFile("save.dat.damaged"), "not a save");
  EXPECT_EQ(test::ReadFile("save.dat").size(), 34u);
}

TEST(Report, TheEndingLineCarriesTheClearMark) {
  GameState g;
  g.ending = true;
  g.saveBlock.stage = 10;
  g.saveBlock.trainingCount = 12;
  g.player.maxHp = 255;
  g.player.attack = 40;
  g.player.maxAp = 180;
  g.player.exp = 999;
  EXPECT_EQ(ReportLine(g), "【V.E.X.A.レポート】【クリア】StageFinal／修行回数12／ＨＰ255／攻撃40／ＡＰ180／EXP999");
}

}  // namespace
}  // namespace vexa
