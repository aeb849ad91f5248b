#include "core/UnitMain.h"

#include <string>

#include "command/UnitCommand.h"
#include "core/StartGame.h"
#include "lib/BrixWave.h"
#include "lib/Checked.h"
#include "record/MessageLog.h"
#include "record/Texts.h"
#include "stage/UnitEnemy.h"
#include "stage/UnitStage.h"
#include "record/GameRecord.h"

namespace vexa {

namespace {

constexpr std::int32_t RetryClickCount = 10;
constexpr std::int32_t GuardCost = 2;
constexpr std::int32_t ContactDistance = 2;
constexpr std::int32_t KnockBackFactor = 5;
constexpr std::int32_t FlyRise = 25;
constexpr std::int32_t FlyOut = 50;
// A fighter that stays beaten rises forever; stop well off screen so the checked
// subtraction can never overflow in a game left open for weeks.
constexpr std::int32_t FlyCeiling = -1000000;

void RetryCountdown(GameState& g) {
  if (g.retryClicks <= 0 || !g.clickLatch) return;
  g.retryClicks = chk::Sub(g.retryClicks, 1);
  if (g.retryClicks <= 0) {
    TBrixWave::Play(SoundRestart);
    StartGame(g);
  } else {
    TBrixWave::Play(SoundRetryClick);
    AddMessage(g.messageLog, Text(g.language, text::RetryCountdown, {std::to_string(g.retryClicks)}));
  }
  g.clickLatch = false;
}

void Victory(GameState& g) {
  TBrixWave::Play(SoundKnockOut);
  AddMessage(g.messageLog, Text(g.language, text::Victory));
  AddMessage(g.messageLog, Text(g.language, text::ExpGained, {std::to_string(g.enemy.exp)}));
  g.player.exp = chk::Add(g.player.exp, g.enemy.exp);
  if (g.player.exp > MaxExp) g.player.exp = MaxExp;
  g.battleOn = false;
  RefillFighter(g.player);
  g.selectedCommand = -1;
  if (g.saveBlock.stage == LastStage) StartEnding(g);
}

void Whiff(GameState& g) {
  if (g.scriptNext < g.scriptCount) {
    AddMessage(g.messageLog, g.scriptLines[CheckIndex("scriptLines", g.scriptNext, ScriptCapacity)]);
    g.scriptNext = chk::Add(g.scriptNext, 1);
  }
  TBrixWave::Play(SoundMiss);
}

}  // namespace

void BattleTick(GameState& g) {
  RetryCountdown(g);
  RegenAp(g.player);
  RegenAp(g.enemy);
  LatchInput(g);
  DecideEnemy(g);
  MoveFighters(g);
  DrainAp(g.player);
  DrainAp(g.enemy);
  if (g.player.attacking || g.enemy.attacking) ResolveHits(g);
}

void RegenAp(Fighter& f) {
  if (f.hp <= 0 || f.ap >= f.maxAp) return;
  f.ap = chk::Add(f.ap, 1);
}

void LatchInput(GameState& g) {
  if (g.player.hp <= 0) {
    g.player.guarding = false;
    g.player.attacking = false;
  } else {
    g.player.guarding = g.rightHeld;
    g.player.attacking = g.clickLatch;
  }
  g.clickLatch = false;
}

void MoveFighters(GameState& g) {
  Fighter& p = g.player;
  Fighter& e = g.enemy;
  if (e.x > p.targetX) p.targetX = e.x;
  if (p.x < e.targetX) e.targetX = p.x;
  FlyOff(p);
  FlyOff(e);
  if (e.targetX < p.targetX) {
    p.x = p.targetX;
    e.x = e.targetX;
  } else {
    // Conflicting targets: they walk into each other pixel by pixel within this step.
    while (p.x > chk::Add(e.x, ContactDistance)) {
      const bool playerMoves = p.x > p.targetX;
      const bool enemyMoves = e.x < e.targetX;
      if (!playerMoves && !enemyMoves) break;  // cannot happen in play; never spin
      if (playerMoves) p.x = chk::Sub(p.x, 1);
      if (enemyMoves) e.x = chk::Add(e.x, 1);
    }
  }
  ClampX(g, p);
  ClampX(g, e);
}

void FlyOff(Fighter& f) {
  if (f.hp > 0) return;
  if (f.y > FlyCeiling) f.y = chk::Sub(f.y, FlyRise);
  f.x = f.isPlayer ? chk::Add(f.x, FlyOut) : chk::Sub(f.x, FlyOut);
  f.targetX = f.x;
}

void ClampX(GameState& g, Fighter& f) {
  if (f.x < 0) f.x = 0;
  if (f.x >= g.clientWidth) f.x = chk::Sub(g.clientWidth, 1);
}

void DrainAp(Fighter& f) {
  if (f.hp <= 0) return;
  if (f.guarding) {
    f.attacking = false;
    if (f.ap < GuardCost)
      f.guarding = false;
    else
      f.ap = chk::Sub(f.ap, GuardCost);
  } else if (f.attacking) {
    if (f.ap < AttackCost)
      f.attacking = false;
    else
      f.ap = chk::Sub(f.ap, AttackCost);
  }
}

void ResolveHits(GameState& g) {
  Fighter& p = g.player;
  Fighter& e = g.enemy;
  if (!(InRange(g) && p.hp > 0 && e.hp > 0)) {
    if (g.battleOn || g.ending)
      Whiff(g);
    else
      RunCommand(g);
    return;
  }
  if (p.guarding || e.guarding) {
    TBrixWave::Play(SoundGuarded);
    return;
  }
  if (p.attacking) {
    e.hp = chk::Sub(e.hp, p.attack);
    e.x = chk::Sub(e.x, chk::Mul(KnockBackFactor, p.attack));
    e.targetX = e.x;
  }
  if (e.attacking) {
    p.hp = chk::Sub(p.hp, e.attack);
    p.x = chk::Add(p.x, chk::Mul(KnockBackFactor, e.attack));
    p.targetX = p.x;
  }
  if (p.hp <= 0) {
    TBrixWave::Play(SoundKnockOut);
    AddMessage(g.messageLog, Text(g.language, text::Defeated));
    g.retryClicks = RetryClickCount;
  } else if (e.hp > 0) {
    TBrixWave::Play(SoundHit);
    AddMessage(g.messageLog, Text(g.language, text::Hit));
  } else {
    Victory(g);
  }
}

}  // namespace vexa
