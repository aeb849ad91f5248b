#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/StartGame.h"
#include "core/UnitForm.h"
#include "core/UnitMain.h"
#include "lib/BrixTimer.h"
#include "lib/Journal.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;

// The real main form, headless, in an empty folder: start-up as the player meets it.
class StartUp : public ::testing::Test {
 protected:
  ~StartUp() override {
    form.reset();
    TBrixTimer::Clear();
    AttachJournal(nullptr);
  }
  void Start() {
    AttachJournal(&journal);
    form = std::make_unique<TFormMain>(g, nullptr, nullptr, 1234);
  }
  void WriteSave(SaveBlock block) { ASSERT_EQ(SaveGameBlock(block), "【成功】"); }

  test::TempFolder folder;
  Journal journal;
  GameState g;
  std::unique_ptr<TFormMain> form;
};

TEST_F(StartUp, WithoutASaveTheGameBeginsAtStageOne) {
  Start();
  EXPECT_EQ(g.player.maxHp, 50);
  EXPECT_EQ(g.player.hp, 50);
  EXPECT_EQ(g.player.attack, 5);
  EXPECT_EQ(g.player.maxAp, 100);
  EXPECT_EQ(g.player.ap, 100);
  EXPECT_EQ(g.player.exp, 0);
  EXPECT_EQ(g.player.x, 600);
  EXPECT_EQ(g.saveBlock.stage, 1);
  EXPECT_EQ(g.saveBlock.trainingCount, 0);
  EXPECT_TRUE(g.battleOn);
  EXPECT_EQ(g.enemy.hp, 60);
  EXPECT_EQ(g.scriptCount, 15);
  EXPECT_EQ(journal.messages, std::vector<std::string>(5, ""));  // the cleared panel only
  EXPECT_EQ(g.clientWidth, 600);
  EXPECT_EQ(g.random.seed, 1234u);
}

TEST_F(StartUp, AValidSaveRestoresThePlayerBetweenBattles) {
  WriteSave(SaveBlock{3, 70, 7, 110, 4, 2});
  Start();
  EXPECT_EQ(g.player.maxHp, 70);
  EXPECT_EQ(g.player.hp, 70);
  EXPECT_EQ(g.player.attack, 7);
  EXPECT_EQ(g.player.maxAp, 110);
  EXPECT_EQ(g.player.ap, 110);
  EXPECT_EQ(g.player.exp, 3);
  EXPECT_EQ(g.saveBlock.stage, 4);
  EXPECT_EQ(g.saveBlock.trainingCount, 2);
  EXPECT_FALSE(g.battleOn);
  EXPECT_EQ(g.selectedCommand, -1);
  EXPECT_EQ(g.enemy.hp, 0);
  EXPECT_EQ(g.enemy.x, -10);
  EXPECT_EQ(g.enemy.maxHp, 0);  // no enemy was set up
  EXPECT_EQ(journal.messages.back(), "ステージ4にいます。");
}

TEST_F(StartUp, ADamagedSaveStartsAFreshGameWithoutAWordInTheGame) {
  test::WriteFile("save.dat", std::string(34, '\x01'));
  Start();
  EXPECT_TRUE(g.battleOn);
  EXPECT_EQ(g.saveBlock.stage, 1);
  EXPECT_EQ(journal.messages, std::vector<std::string>(5, ""));
  EXPECT_TRUE(g.damagedSave);
}

// The player's damaged bytes survive the first save, which then works as ever.
TEST_F(StartUp, TheFirstSaveKeepsADamagedSaveAside) {
  const std::string damaged(20, '\x01');
  test::WriteFile("save.dat", damaged);
  Start();
  ASSERT_TRUE(KeepDamagedSave(g));
  EXPECT_FALSE(g.damagedSave);
  EXPECT_EQ(test::ReadFile("save.dat.damaged"), damaged);
  ASSERT_EQ(SaveGameBlock(g.saveBlock), "【成功】");
  ASSERT_TRUE(KeepDamagedSave(g));  // once only: the new save is the game's own
  EXPECT_EQ(test::ReadFile("save.dat.damaged"), damaged);
  EXPECT_EQ(access("save.dat.damaged.1", F_OK), -1);
}

TEST_F(StartUp, NoSaveOrAFolderInItsPlaceIsNotADamagedSave) {
  Start();
  EXPECT_FALSE(g.damagedSave);
  form.reset();
  ASSERT_TRUE(std::filesystem::create_directory("save.dat"));
  Start();
  EXPECT_FALSE(g.damagedSave);
}

class ImplausibleSave : public StartUp, public ::testing::WithParamInterface<SaveBlock> {};

TEST_P(ImplausibleSave, CountsAsDamaged) {
  WriteSave(GetParam());
  Start();
  EXPECT_TRUE(g.battleOn);
  EXPECT_EQ(g.saveBlock.stage, 1);
  EXPECT_EQ(g.saveBlock.trainingCount, 0);
  EXPECT_EQ(g.player.maxHp, 50);
  EXPECT_EQ(journal.messages, std::vector<std::string>(5, ""));
  EXPECT_TRUE(g.damagedSave);
}

INSTANTIATE_TEST_SUITE_P(Values, ImplausibleSave,
                         ::testing::Values(SaveBlock{0, 50, 5, 100, 11, 0}, SaveBlock{0, 50, 5, 100, 10, 0},
                                           SaveBlock{0, 50, 5, 100, 0, 0}, SaveBlock{0, 50, 2000000000, 100, 3, 0},
                                           SaveBlock{0, 50, 5, 3, 3, 0}, SaveBlock{-1, 50, 5, 100, 3, 0},
                                           SaveBlock{1000, 50, 5, 100, 3, 0}, SaveBlock{0, 256, 5, 100, 3, 0},
                                           SaveBlock{0, 49, 5, 100, 3, 0}, SaveBlock{0, 50, 5, 100, 3, -1}));

TEST_F(StartUp, ARestartKeepsEverySurface) {
  Start();
  const TBrixBitmap* before[] = {g.player.head.shape.get(), g.player.body.outline.get(), g.player.face.get(),
                                 g.enemy.foot.shape.get(), g.enemy.slash.get(), g.backbuffer.get()};
  StartGame(g);
  const TBrixBitmap* after[] = {g.player.head.shape.get(), g.player.body.outline.get(), g.player.face.get(),
                                g.enemy.foot.shape.get(), g.enemy.slash.get(), g.backbuffer.get()};
  EXPECT_TRUE(std::equal(std::begin(before), std::end(before), std::begin(after)));
}

TEST_F(StartUp, TheEnemysSinglePicturesAreMirrorsOfThePlayers) {
  Start();
  const TBrixBitmap& p = *g.player.face;
  const TBrixBitmap& e = *g.enemy.face;
  ASSERT_EQ(p.Width(), e.Width());
  for (std::int32_t r = 0; r < p.Height(); ++r)
    for (std::int32_t c = 0; c < p.Width(); ++c)
      ASSERT_TRUE(SameColor(p.rows[r][c], e.rows[r][p.Width() - 1 - c])) << r << "," << c;
}

TEST_F(StartUp, TheTenthRetryClickRestartsFromTheSave) {
  WriteSave(SaveBlock{0, 60, 6, 105, 2, 1});
  Start();
  g.player.hp = 0;
  g.retryClicks = 10;
  for (int i = 0; i < 10; ++i) {
    g.clickLatch = true;
    BattleTick(g);
  }
  EXPECT_EQ(g.retryClicks, 0);
  EXPECT_EQ(g.player.hp, 60);
  EXPECT_EQ(g.saveBlock.stage, 2);
  EXPECT_EQ(journal.sounds.back(), "cap_tiron02-2.wav");
  EXPECT_EQ(journal.messages.back(), "ステージ2にいます。");
}

TEST_F(StartUp, TheFormsHandlersSetTheLatches) {
  Start();
  form->PaintBoxMainMouseDown(MouseButton::Right, ShiftState{false, true, false}, 300, 10);
  EXPECT_TRUE(g.rightHeld);
  form->PaintBoxMainMouseMove(ShiftState{false, true, false}, -40, 10);  // held outside the window
  EXPECT_TRUE(g.rightHeld);
  EXPECT_EQ(g.player.targetX, 0);
  form->PaintBoxMainMouseMove(ShiftState{}, 200, 10);  // released outside, back without buttons
  EXPECT_FALSE(g.rightHeld);
  EXPECT_EQ(g.player.targetX, 152);

  form->PaintBoxMainMouseDown(MouseButton::Left, ShiftState{true, false, false}, 100, 10);
  EXPECT_TRUE(g.clickLatch);
  form->PaintBoxMainMouseUp(MouseButton::Left, ShiftState{}, 120, 10);
  EXPECT_TRUE(g.clickLatch);  // the release only moves the target
  EXPECT_EQ(g.player.targetX, 72);

  form->PaintBoxMainMouseDown(MouseButton::Right, ShiftState{false, true, false}, 300, 10);
  form->PaintBoxMainMouseUp(MouseButton::Right, ShiftState{}, 300, 10);
  EXPECT_FALSE(g.rightHeld);
}

}  // namespace
}  // namespace vexa
