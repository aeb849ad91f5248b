#include "stage/UnitEnemy.h"

#include "lib/Checked.h"

namespace vexa {

namespace {

constexpr std::int32_t EngageAp = 20;   // behaviour 1 engages from here
constexpr std::int32_t BackOffAp = 5;   // and backs off below here
constexpr std::int32_t GuardRange = 34; // behaviour 3 guards up to here
constexpr std::int32_t RushLength = 47; // behaviour 6's pattern steps
constexpr std::int32_t RushRestartAp = 200;
constexpr std::int32_t PhaseCycle = 360;  // behaviour 7: six blocks
constexpr std::int32_t PhaseBlock = 60;

std::int32_t Distance(const GameState& g) { return chk::Sub(g.player.x, g.enemy.x); }
void Advance(GameState& g, std::int32_t k) { g.enemy.targetX = chk::Add(g.enemy.x, k); }
void Retreat(GameState& g, std::int32_t k) { g.enemy.targetX = chk::Sub(g.enemy.x, k); }
void Attack(GameState& g) { g.enemy.attacking = true; }
void Guard(GameState& g) { g.enemy.guarding = true; }
bool Draw(GameState& g, std::int32_t n, std::int32_t hit) { return Random(g.random, n) == hit; }

// Timid: backs off until it has an attack's worth of AP, then closes in.
void Behaviour1(GameState& g) {
  if (g.enemy.ap >= EngageAp)
    g.enemyMode = 1;
  else if (g.enemy.ap < BackOffAp)
    g.enemyMode = 0;
  if (g.enemyMode == 0) {
    Retreat(g, 1);
    return;
  }
  const std::int32_t d = Distance(g);
  if (d <= 8)
    Attack(g);
  else if (d >= 35)
    Advance(g, 1);
  else if (Draw(g, 40, 0))
    Attack(g);
  else
    Guard(g);
}

// Hit and run.
void Behaviour2(GameState& g) {
  if (g.enemy.ap >= EngageAp) {
    Advance(g, 5);
    if (InRange(g)) Attack(g);
  } else {
    Retreat(g, 10);
  }
}

// Wanders; the mode flips at random and the guard goes up whenever close.
void Behaviour3(GameState& g) {
  if (Draw(g, 10, 0)) g.enemyMode = chk::Sub(1, g.enemyMode);
  if (g.enemyMode == 0) {
    Retreat(g, 10);
  } else {
    Advance(g, 10);
    if (Draw(g, 5, 0)) Attack(g);
  }
  if (Distance(g) <= GuardRange) Guard(g);
}

// Creeps in and strikes whenever it can.
void Behaviour4(GameState& g) {
  if (InRange(g)) {
    Attack(g);
    return;
  }
  if (Draw(g, 2, 0)) Advance(g, 1);
}

// Walks in; in reach it may lunge five times its attack ahead.
void Behaviour5(GameState& g) {
  if (InRange(g) && Draw(g, 2, 0)) {
    if (Draw(g, 2, 0)) {
      Attack(g);
      Advance(g, chk::Mul(5, g.enemy.attack));
    } else {
      Guard(g);
    }
    return;
  }
  Advance(g, 2);
}

bool RushAttackStep(std::int32_t counter) {
  switch (counter) {
    case 0: case 6: case 12: case 18: case 22: case 26: case 30: case 36: case 42: case 46:
      return true;
    default:
      return false;
  }
}

// A fixed rush, then a retreat until the AP is full enough to rush again.
void Behaviour6(GameState& g) {
  if (g.enemyMode >= RushLength) {
    if (g.enemy.ap >= RushRestartAp)
      g.enemyMode = 0;
    else
      Retreat(g, 10);
    if (InRange(g)) Attack(g);
    return;
  }
  if (RushAttackStep(g.enemyMode))
    Attack(g);
  else
    Advance(g, 40);
  g.enemyMode = chk::Add(g.enemyMode, 1);
}

void SubBehaviour(GameState& g, std::int32_t index) {
  switch (index) {
    case 1: Behaviour1(g); return;
    case 2: Behaviour2(g); return;
    case 3: Behaviour3(g); return;
    case 4: Behaviour4(g); return;
    case 5: Behaviour5(g); return;
    case 6: Behaviour6(g); return;
    default: VEXA_ASSERT(false, "UnitEnemy");
  }
}

// The first six in turn; they share enemyMode, so each inherits the last one's counter.
void Behaviour7(GameState& g) {
  g.enemyPhase = chk::Mod(chk::Add(g.enemyPhase, 1), PhaseCycle);
  SubBehaviour(g, chk::Add(chk::Div(g.enemyPhase, PhaseBlock), 1));
}

// One of the first six, changed at random now and then.
void Behaviour8(GameState& g) {
  if (Draw(g, 20, 0)) g.enemyPhase = Random(g.random, 6);
  SubBehaviour(g, chk::Add(g.enemyPhase, 1));
}

bool BelowHalfPlayerAp(const GameState& g) { return g.enemy.ap < chk::Div(g.player.ap, 2); }

void Behaviour9(GameState& g) {
  if (BelowHalfPlayerAp(g)) {
    Retreat(g, 10);
    if (Draw(g, 3, 0)) Guard(g);
    if (InRange(g) && Draw(g, 10, 0)) Attack(g);
  } else {
    g.enemy.targetX = g.clientWidth;  // the move stops it at the player
    if (Draw(g, 10, 0)) Attack(g);
    if (Draw(g, 2, 0)) Guard(g);
  }
}

void Behaviour10(GameState& g) {
  if (BelowHalfPlayerAp(g)) {
    g.enemy.targetX = chk::Sub(g.player.x, 20);
    if (InRange(g)) Guard(g);
  } else {
    Advance(g, 40);
    if (Draw(g, 10, 0)) Attack(g);
    if (Draw(g, 2, 0)) Guard(g);
  }
}

}  // namespace

void DecideEnemy(GameState& g) {
  Fighter& e = g.enemy;
  if (e.hp <= 0) {
    // A beaten enemy keeps its course and draws nothing.
    e.guarding = false;
    e.attacking = false;
    return;
  }
  e.attacking = false;
  e.guarding = false;
  e.targetX = e.x;
  switch (g.saveBlock.stage) {
    case 7: Behaviour7(g); return;
    case 8: Behaviour8(g); return;
    case 9: Behaviour9(g); return;
    case 10: Behaviour10(g); return;
    default:
      VEXA_ASSERT(g.saveBlock.stage >= 1 && g.saveBlock.stage <= 6, "UnitEnemy");
      SubBehaviour(g, g.saveBlock.stage);
  }
}

void ResetEnemyBehaviour(GameState& g) {
  g.enemyMode = 0;
  g.enemyPhase = 0;
}

}  // namespace vexa
