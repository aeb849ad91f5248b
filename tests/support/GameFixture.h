#pragma once
// A game without pictures or a window: the rules run on the records alone.
#include <gtest/gtest.h>

#include "record/UnitData.h"
#include "lib/Journal.h"
#include "support/TempFolder.h"

namespace vexa::test {

class RulesTest : public ::testing::Test {
 protected:
  RulesTest() {
    AttachJournal(&journal);
    g.player.isPlayer = true;
    g.enemy.isPlayer = false;
    SetFighter(g.player, 300, 50, 5, 100);
    SetFighter(g.enemy, 250, 60, 6, 120);
    g.saveBlock.stage = 1;
    g.battleOn = true;
  }
  ~RulesTest() override { AttachJournal(nullptr); }

  static void SetFighter(Fighter& f, std::int32_t x, std::int32_t hp, std::int32_t attack, std::int32_t ap) {
    f.x = x;
    f.targetX = x;
    f.y = 300;
    f.maxHp = f.hp = hp;
    f.attack = attack;
    f.maxAp = f.ap = ap;
  }

  TempFolder folder;  // the report and the save land here
  Journal journal;
  GameState g;
};

}  // namespace vexa::test
