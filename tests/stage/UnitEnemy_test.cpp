#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <set>
#include <utility>
#include <vector>

#include "record/UnitData.h"
#include "lib/Checked.h"
#include "stage/UnitEnemy.h"

namespace vexa {
namespace {

using ::testing::HasSubstr;

constexpr std::int32_t EnemyX = 200;
constexpr std::uint32_t SeedCount = 400;  // enough seeds to meet every branch of a draw

// One battle step's situation as the enemy sees it.
struct Scene {
  std::int32_t stage = 1;
  std::int32_t d = 100;  // player.x - enemy.x
  std::int32_t enemyAp = 100;
  std::int32_t playerAp = 100;
  std::int32_t mode = 0;
  std::int32_t phase = 0;
  std::int32_t attack = 10;
};

void Stage(GameState& g, const Scene& s, std::uint32_t seed) {
  g.saveBlock.stage = s.stage;
  g.enemy.x = EnemyX;
  g.enemy.targetX = -77;  // a stale target and stale flags, which every decision replaces
  g.enemy.attacking = true;
  g.enemy.guarding = true;
  g.enemy.hp = 10;
  g.enemy.ap = s.enemyAp;
  g.enemy.attack = s.attack;
  g.player.isPlayer = true;
  g.player.x = EnemyX + s.d;
  g.player.hp = 10;
  g.player.ap = s.playerAp;
  g.enemyMode = s.mode;
  g.enemyPhase = s.phase;
  g.random.seed = seed;
}

// What a decision leaves behind; the seed after it tells how many draws were made.
struct Decision {
  std::int32_t move = 0;  // targetX - x
  bool attack = false;
  bool guard = false;
  std::int32_t mode = 0;
  std::int32_t phase = 0;
  std::uint32_t seed = 0;
  bool operator==(const Decision&) const = default;
};

void PrintTo(const Decision& d, std::ostream* os) {
  *os << "{move " << d.move << ", attack " << d.attack << ", guard " << d.guard << ", mode " << d.mode << ", phase "
      << d.phase << ", seed " << d.seed << "}";
}

Decision Observe(const GameState& g) {
  return {g.enemy.targetX - g.enemy.x, g.enemy.attacking, g.enemy.guarding, g.enemyMode, g.enemyPhase, g.random.seed};
}

Decision Decide(const Scene& s, std::uint32_t seed) {
  GameState g;
  Stage(g, s, seed);
  DecideEnemy(g);
  return Observe(g);
}

// A decision that draws nothing.
Decision Fixed(const Scene& s, std::uint32_t seed, std::int32_t move, bool attack, bool guard, std::int32_t mode) {
  return {move, attack, guard, mode, s.phase, seed};
}

TEST(DecideEnemy, ABeatenEnemyOnlyDropsItsFlags) {
  // Stage 0 as well: a beaten enemy returns before its stage is looked at.
  for (std::int32_t stage = 0; stage <= 10; ++stage) {
    for (std::int32_t hp : {0, -5}) {
      GameState g;
      Stage(g, Scene{.stage = stage, .d = 10, .enemyAp = 100, .mode = 30, .phase = 100}, 4242);
      g.enemy.hp = hp;
      g.enemy.targetX = 123;
      DecideEnemy(g);
      EXPECT_EQ(Observe(g), (Decision{123 - EnemyX, false, false, 30, 100, 4242}))
          << "stage " << stage << " hp " << hp;
    }
  }
}

TEST(DecideEnemy, AStageOutsideOneToTenIsAnAssertion) {
  for (std::int32_t stage : {0, 11, -1, INT32_MAX}) {
    GameState g;
    Stage(g, Scene{.stage = stage}, 1);
    try {
      DecideEnemy(g);
      ADD_FAILURE() << "stage " << stage << " was accepted";
    } catch (const VexaError& e) {
      EXPECT_THAT(e.what(), HasSubstr("assertion failed (UnitEnemy")) << "stage " << stage;
    }
  }
}

TEST(DecideEnemy, PositionArithmeticIsChecked) {
  struct {
    const char* name;
    Scene scene;
    std::int32_t enemyX, playerX;
  } cases[] = {
      {"advance past the largest x", {.stage = 2, .enemyAp = 100}, INT32_MAX - 2, INT32_MAX},
      {"retreat past the smallest x", {.stage = 2, .enemyAp = 0}, INT32_MIN + 5, INT32_MIN + 50},
      {"distance wider than 32 bits", {.stage = 4}, INT32_MIN, INT32_MAX},
      {"lunge past the largest x", {.stage = 6, .mode = 1}, INT32_MAX - 39, INT32_MAX},
  };
  for (const auto& c : cases) {
    GameState g;
    Stage(g, c.scene, 1);
    g.enemy.x = c.enemyX;
    g.player.x = c.playerX;
    EXPECT_THROW(DecideEnemy(g), VexaError) << c.name;
  }
}

TEST(ResetEnemyBehaviour, ClearsBothCounters) {
  GameState g;
  g.enemyMode = -46;
  g.enemyPhase = 359;
  ResetEnemyBehaviour(g);
  EXPECT_EQ(g.enemyMode, 0);
  EXPECT_EQ(g.enemyPhase, 0);
}

TEST(Behaviour1, ModeAndMovesWithoutDraws) {
  struct {
    std::int32_t ap, modeBefore, d;
    std::int32_t move;
    bool attack, guard;
    std::int32_t modeAfter;
  } cases[] = {
      // 20 AP or more engages, below 5 backs off, 5..19 keeps the mode it had.
      {20, 0, 100, 1, false, false, 1},
      {19, 0, 100, -1, false, false, 0},
      {5, 0, 8, -1, false, false, 0},
      {4, 1, 8, -1, false, false, 0},
      {0, 7, 100, -1, false, false, 0},
      // Kept engaged with 5..19 AP: attack at 8, advance from 35.
      {19, 1, 8, 0, true, false, 1},
      {5, 1, 35, 1, false, false, 1},
      {12, 47, 8, 0, true, false, 47},  // any non-zero value engages
      {12, -46, 200, 1, false, false, -46},
      {100, 0, 1, 0, true, false, 1},
  };
  for (const auto& c : cases) {
    const Scene s{.stage = 1, .d = c.d, .enemyAp = c.ap, .mode = c.modeBefore};
    EXPECT_EQ(Decide(s, 99), Fixed(s, 99, c.move, c.attack, c.guard, c.modeAfter))
        << "ap " << c.ap << " mode " << c.modeBefore << " d " << c.d;
  }
}

TEST(Behaviour1, MiddleRangeDrawsFortyForARareAttack) {
  std::set<bool> attacks;
  for (std::int32_t d : {9, 20, 34}) {
    for (std::int32_t ap : {20, 12}) {  // 12 keeps the engaged mode
      for (std::uint32_t seed = 0; seed < SeedCount; ++seed) {
        const Scene s{.stage = 1, .d = d, .enemyAp = ap, .mode = 1};
        RandomState r{seed};
        const bool attack = Random(r, 40) == 0;
        attacks.insert(attack);
        EXPECT_EQ(Decide(s, seed), (Decision{0, attack, !attack, 1, 0, r.seed})) << "d " << d << " seed " << seed;
      }
    }
  }
  EXPECT_EQ(attacks.size(), 2u);
}

TEST(Behaviour2, HitAndRunWithoutDraws) {
  struct {
    std::int32_t ap, d, move;
    bool attack;
  } cases[] = {
      {20, 17, 5, true},
      {20, 18, 5, false},
      {100, 22, 5, false},  // reach is judged from where it stands, not from its target
      {19, 5, -10, false},
      {0, 100, -10, false},
  };
  for (const auto& c : cases) {
    const Scene s{.stage = 2, .d = c.d, .enemyAp = c.ap};
    EXPECT_EQ(Decide(s, 7), Fixed(s, 7, c.move, c.attack, false, 0)) << "ap " << c.ap << " d " << c.d;
  }
}

TEST(Behaviour3, FlipsOnOneInTenAndGuardsUpToThirtyFour) {
  std::set<std::int32_t> modes;
  std::set<bool> attacks;
  for (std::int32_t d : {10, 34, 35, 80}) {
    for (std::int32_t mode : {0, 1, 47}) {
      for (std::uint32_t seed = 0; seed < SeedCount; ++seed) {
        RandomState r{seed};
        const std::int32_t modeAfter = Random(r, 10) == 0 ? 1 - mode : mode;
        Decision want{modeAfter == 0 ? -10 : 10, false, d <= 34, modeAfter, 0, 0};
        if (modeAfter != 0) want.attack = Random(r, 5) == 0;
        want.seed = r.seed;
        modes.insert(modeAfter);
        attacks.insert(want.attack);
        EXPECT_EQ(Decide(Scene{.stage = 3, .d = d, .mode = mode}, seed), want)
            << "d " << d << " mode " << mode << " seed " << seed;
      }
    }
  }
  EXPECT_TRUE(modes.contains(-46));  // 47 flips to 1 - 47
  EXPECT_EQ(attacks.size(), 2u);
}

TEST(Behaviour4, StrikesInReachAndCreepsOnHalfTheSteps) {
  EXPECT_EQ(Decide(Scene{.stage = 4, .d = 17}, 5), (Decision{0, true, false, 0, 0, 5}));
  std::set<std::int32_t> moves;
  for (std::uint32_t seed = 0; seed < SeedCount; ++seed) {
    RandomState r{seed};
    const std::int32_t move = Random(r, 2) == 0 ? 1 : 0;
    moves.insert(move);
    EXPECT_EQ(Decide(Scene{.stage = 4, .d = 18}, seed), (Decision{move, false, false, 0, 0, r.seed}))
        << "seed " << seed;
  }
  EXPECT_EQ(moves.size(), 2u);
}

TEST(Behaviour5, OutOfReachWalksInWithoutDrawing) {
  EXPECT_EQ(Decide(Scene{.stage = 5, .d = 18, .attack = 50}, 3), (Decision{2, false, false, 0, 0, 3}));
}

TEST(Behaviour5, InReachLungesGuardsOrWalksIn) {
  std::set<int> outcomes;
  for (std::int32_t d : {17, 2}) {
    for (std::uint32_t seed = 0; seed < SeedCount; ++seed) {
      RandomState r{seed};
      Decision want{2, false, false, 0, 0, 0};
      int outcome = 0;
      if (Random(r, 2) == 0) {
        if (Random(r, 2) == 0) {
          want = {250, true, false, 0, 0, 0};  // five times the stage-5 attack of 50
          outcome = 1;
        } else {
          want = {0, false, true, 0, 0, 0};
          outcome = 2;
        }
      }
      want.seed = r.seed;
      outcomes.insert(outcome);
      EXPECT_EQ(Decide(Scene{.stage = 5, .d = d, .attack = 50}, seed), want) << "d " << d << " seed " << seed;
    }
  }
  EXPECT_EQ(outcomes.size(), 3u);
}

TEST(Behaviour6, RushesFortySevenStepsWithTenAttacks) {
  GameState g;
  Stage(g, Scene{.stage = 6, .d = 500, .enemyAp = 0}, 11);
  std::vector<std::int32_t> attackSteps;
  for (std::int32_t counter = 0; counter < 47; ++counter) {
    DecideEnemy(g);
    if (g.enemy.attacking) {
      attackSteps.push_back(counter);
      EXPECT_EQ(g.enemy.targetX, EnemyX) << "counter " << counter;
    } else {
      EXPECT_EQ(g.enemy.targetX, EnemyX + 40) << "counter " << counter;
    }
    EXPECT_FALSE(g.enemy.guarding);
    EXPECT_EQ(g.enemyMode, counter + 1);
  }
  EXPECT_EQ(attackSteps, (std::vector<std::int32_t>{0, 6, 12, 18, 22, 26, 30, 36, 42, 46}));
  EXPECT_EQ(g.random.seed, 11u);  // the whole pattern draws nothing
}

TEST(Behaviour6, AfterTheRushRetreatsUntilTwoHundredAp) {
  struct {
    std::int32_t mode, ap, d, move;
    bool attack;
    std::int32_t modeAfter;
  } cases[] = {
      {47, 199, 50, -10, false, 47},
      {47, 199, 17, -10, true, 47},
      {47, 199, 18, -10, false, 47},
      {500, 0, 100, -10, false, 500},
      {47, 200, 50, 0, false, 0},  // a full stage-6 enemy starts again, standing still this step
      {47, 200, 17, 0, true, 0},
      {46, 0, 500, 0, true, 47},
      {45, 0, 500, 40, false, 46},
      // Negative counters, left by behaviour 3 under 7 or 8, count up by advancing.
      {-46, 250, 5, 40, false, -45},
      {-1, 0, 5, 40, false, 0},
  };
  for (const auto& c : cases) {
    const Scene s{.stage = 6, .d = c.d, .enemyAp = c.ap, .mode = c.mode};
    EXPECT_EQ(Decide(s, 8), Fixed(s, 8, c.move, c.attack, false, c.modeAfter))
        << "mode " << c.mode << " ap " << c.ap << " d " << c.d;
  }
}

// Behaviours 7 and 8 must act exactly as the stage whose behaviour they borrow,
// with the counter the previous sub-behaviour left.
Decision AsStage(const GameState& g, std::int32_t stage, std::int32_t phaseAfter, std::uint32_t seed,
                 const Scene& scene) {
  Scene s = scene;
  s.stage = stage;
  s.mode = g.enemyMode;
  Decision d = Decide(s, seed);
  d.phase = phaseAfter;
  return d;
}

TEST(Behaviour7, RunsTheFirstSixInBlocksOfSixtySteps) {
  // Steps counted from a stage start: the phase moves on before it is used.
  struct {
    std::int32_t firstStep, lastStep, stage;
  } blocks[] = {{1, 59, 1},    {60, 119, 2},  {120, 179, 3}, {180, 239, 4},
                {240, 299, 5}, {300, 359, 6}, {360, 419, 1}, {420, 425, 2}};
  for (const Scene& scene : {Scene{.stage = 7, .d = 30, .enemyAp = 100}, Scene{.stage = 7, .d = 12, .enemyAp = 15},
                             Scene{.stage = 7, .d = 120, .enemyAp = 3}}) {
    GameState g;
    Stage(g, scene, 2024);
    for (const auto& block : blocks) {
      for (std::int32_t step = block.firstStep; step <= block.lastStep; ++step) {
        const Decision want = AsStage(g, block.stage, step % 360, g.random.seed, scene);
        DecideEnemy(g);
        ASSERT_EQ(Observe(g), want) << "d " << scene.d << " step " << step;
      }
    }
  }
}

TEST(Behaviour7, SubBehavioursInheritTheSharedCounter) {
  // Phase 299 moves on to 300: behaviour 6 picks up the counter 5 that another left.
  const Scene s{.stage = 7, .d = 500, .enemyAp = 100, .mode = 5, .phase = 299};
  EXPECT_EQ(Decide(s, 1), (Decision{40, false, false, 6, 300, 1}));
  // Behaviour 1 at phase 1 turns a spent rush counter into its mode flag.
  EXPECT_EQ(Decide(Scene{.stage = 7, .d = 500, .enemyAp = 100, .mode = 47, .phase = 0}, 1),
            (Decision{1, false, false, 1, 1, 1}));
}

TEST(Behaviour8, SwitchesOnOneInTwentyToAnyOfTheSix) {
  std::set<std::int32_t> picked;
  std::int32_t kept = 0;
  for (std::int32_t phase : {0, 3, 5}) {
    for (std::uint32_t seed = 0; seed < SeedCount; ++seed) {
      const Scene scene{.stage = 8, .d = 30, .enemyAp = 100, .mode = 46, .phase = phase};
      GameState g;
      Stage(g, scene, seed);
      RandomState r{seed};
      std::int32_t phaseAfter = phase;
      if (Random(r, 20) == 0) {
        phaseAfter = Random(r, 6);
        picked.insert(phaseAfter);
      } else {
        ++kept;
      }
      const Decision want = AsStage(g, phaseAfter + 1, phaseAfter, r.seed, scene);
      DecideEnemy(g);
      EXPECT_EQ(Observe(g), want) << "phase " << phase << " seed " << seed;
    }
  }
  EXPECT_EQ(picked.size(), 6u);
  EXPECT_GT(kept, 0);
}

TEST(Behaviour8, ASubBehaviourOutsideOneToSixIsAnAssertion) {
  for (std::int32_t phase : {6, -1, 100}) {
    std::uint32_t seed = 0;  // the first seed that keeps the phase
    for (;; ++seed) {
      RandomState r{seed};
      if (Random(r, 20) != 0) break;
    }
    GameState g;
    Stage(g, Scene{.stage = 8, .phase = phase}, seed);
    try {
      DecideEnemy(g);
      ADD_FAILURE() << "phase " << phase << " was accepted";
    } catch (const VexaError& e) {
      EXPECT_THAT(e.what(), HasSubstr("assertion failed (UnitEnemy")) << "phase " << phase;
    }
  }
  // Behaviour 7 only gets there from a phase its own counting never makes.
  GameState g;
  Stage(g, Scene{.stage = 7, .phase = -100}, 1);
  EXPECT_THROW(DecideEnemy(g), VexaError);
}

TEST(Behaviour9, RetreatsWhenBelowHalfThePlayersApOtherwiseCharges) {
  std::set<std::pair<bool, bool>> flags;
  for (std::int32_t d : {17, 18}) {
    for (std::int32_t playerAp : {99, 100}) {  // halves 49 and 50 against the enemy's 49
      for (std::uint32_t seed = 0; seed < SeedCount; ++seed) {
        RandomState r{seed};
        Decision want{};
        if (playerAp == 100) {
          want.move = -10;
          want.guard = Random(r, 3) == 0;
          if (d <= 17) want.attack = Random(r, 10) == 0;
        } else {
          want.move = 640 - EnemyX;  // the client width
          want.attack = Random(r, 10) == 0;
          want.guard = Random(r, 2) == 0;
        }
        want.seed = r.seed;
        flags.insert({want.attack, want.guard});
        GameState g;
        Stage(g, Scene{.stage = 9, .d = d, .enemyAp = 49, .playerAp = playerAp}, seed);
        g.clientWidth = 640;
        DecideEnemy(g);
        EXPECT_EQ(Observe(g), want) << "d " << d << " player ap " << playerAp << " seed " << seed;
      }
    }
  }
  EXPECT_EQ(flags.size(), 4u);  // both flags together too
}

TEST(Behaviour10, KeepsInFrontAndGuardsWhenLowOtherwiseDashes) {
  struct {
    std::int32_t d, playerAp;
    std::int32_t move;
    bool guard;
  } cases[] = {
      {17, 100, -3, true},  // stays 20 px in front of the player, guarding in reach
      {18, 100, -2, false},
      {100, 100, 80, false},
      {5, 100, -15, true},
  };
  for (const auto& c : cases) {
    const Scene s{.stage = 10, .d = c.d, .enemyAp = 49, .playerAp = c.playerAp};
    EXPECT_EQ(Decide(s, 77), Fixed(s, 77, c.move, false, c.guard, 0)) << "d " << c.d;
  }
  std::set<std::pair<bool, bool>> flags;
  for (std::uint32_t seed = 0; seed < SeedCount; ++seed) {
    RandomState r{seed};
    const bool attack = Random(r, 10) == 0;
    const bool guard = Random(r, 2) == 0;
    flags.insert({attack, guard});
    EXPECT_EQ(Decide(Scene{.stage = 10, .d = 10, .enemyAp = 49, .playerAp = 99}, seed),
              (Decision{40, attack, guard, 0, 0, r.seed}))
        << "seed " << seed;
  }
  EXPECT_EQ(flags.size(), 4u);
}

}  // namespace
}  // namespace vexa
