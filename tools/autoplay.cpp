// A scripted player: plays the real game headless, step by step, through the same mouse
// handlers as the window, and writes what it did as a replay. It makes the kept
// whole-game replay (every stage won, the ending read) and the long soaks of mixed
// purposeful and random input.
//
//   vexa_autoplay OUT.replay [--seed N] [--soak STEPS] [--trace OUT.jsonl] [--lang ja|en]
//
// Run it in an empty folder: the game reads and writes "save.dat" and the report there.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/UnitForm.h"
#include "core/UnitMain.h"
#include "session/Session.h"
#include "lib/GamePaths.h"
#include "lib/Journal.h"
#include "record/Texts.h"
#include "stage/UnitEnemy.h"
#include "stage/UnitStage.h"

namespace vexa {
namespace {

constexpr std::int32_t Menu(Command c) { return static_cast<std::int32_t>(c); }
constexpr std::int32_t CommandSave = Menu(Command::Save), CommandHp = Menu(Command::UpgradeHp),
                       CommandAttack = Menu(Command::UpgradeAttack), CommandAp = Menu(Command::UpgradeAp),
                       CommandTrain = Menu(Command::Train), CommandAdvance = Menu(Command::Advance);

// The fighters' numbers and the enemy's memory: all a duel step reads.
void CopyDuel(const GameState& from, GameState& to) {
  static_cast<FighterState&>(to.player) = from.player;
  static_cast<FighterState&>(to.enemy) = from.enemy;
  to.enemyMode = from.enemyMode;
  to.enemyPhase = from.enemyPhase;
  to.random = from.random;
  to.clientWidth = from.clientWidth;
  to.saveBlock.stage = from.saveBlock.stage;
}

struct Outcome {
  std::int32_t toPlayer = 0;
  std::int32_t toEnemy = 0;
  std::int32_t distance = 0;
};

// One choice of the player for the coming step.
struct Choice {
  std::int32_t targetX = 0;
  bool attack = false;
  bool guard = false;
};

// The battle step's rules up to the hits, on a copy: the enemy decides before it sees
// this step's input, so the copy knows exactly what it will do.
class DuelForecast {
 public:
  void Reset(const GameState& g) {
    CopyDuel(g, decided_);
    RegenAp(decided_.player);
    RegenAp(decided_.enemy);
    DecideEnemy(decided_);
  }
  const Fighter& Enemy() const { return decided_.enemy; }

  Outcome Try(const Choice& c) {
    CopyDuel(decided_, trial_);
    trial_.player.targetX = std::clamp(c.targetX, 0, trial_.clientWidth);
    trial_.player.guarding = c.guard;
    trial_.player.attacking = c.attack;
    MoveFighters(trial_);
    DrainAp(trial_.player);
    DrainAp(trial_.enemy);
    const Fighter& p = trial_.player;
    const Fighter& e = trial_.enemy;
    Outcome o;
    o.distance = p.x - e.x;
    if (InRange(trial_) && p.hp > 0 && e.hp > 0 && !p.guarding && !e.guarding) {
      if (p.attacking) o.toEnemy = p.attack;
      if (e.attacking) o.toPlayer = e.attack;
    }
    return o;
  }

 private:
  GameState decided_;
  GameState trial_;
};

struct Settings {
  std::uint32_t seed = 1;
  std::optional<std::int64_t> soakSteps;  // absent: play one whole game and stop
  Language language = Language::Japanese;
};

class Autoplayer {
 public:
  Autoplayer(const Settings& s, Session& target, GameState& g)
      : settings_(s), target_(target), g_(g), noise_(s.seed) {}

  // Everything the player does before the battle step `step`.
  void Act(std::int64_t step) {
    step_ = step;
    if (settings_.soakSteps) Fidget();
    if (g_.retryClicks > 0)
      Click(pointerX_);
    else if (g_.ending)
      ReadEnding();
    else if (!g_.battleOn)
      ChooseCommand();
    else
      Fight();
  }

  // A whole game ends a little after the ending's last line, so that line is seen.
  bool Finished() {
    if (settings_.soakSteps) return step_ + 1 >= *settings_.soakSteps;
    if (g_.ending && g_.scriptNext >= g_.scriptCount) ++afterEnding_;
    return afterEnding_ > 40;
  }

 private:
  // Random presses, releases and moves anywhere, even far outside the window.
  void Fidget() {
    std::uniform_int_distribution<int> chance(0, 99);
    if (chance(noise_) >= 12) return;
    std::uniform_int_distribution<std::int32_t> x(-3000, 3600), y(-800, 1200), kind(0, 5);
    const MouseButton buttons[] = {MouseButton::Left, MouseButton::Right, MouseButton::Middle};
    const MouseButton button = buttons[chance(noise_) % 3];
    switch (kind(noise_)) {
      case 0: case 1: case 2: MoveTo(x(noise_), y(noise_)); break;
      case 3: case 4: Press(button); break;
      default: Release(button); break;
    }
  }

  void MoveTo(std::int32_t x, std::int32_t y = 300) {
    pointerX_ = x;
    pointerY_ = y;
    target_.Post(MouseEvent{MouseEventKind::Move, MouseButton::Left, held_, x, y});
  }
  void Press(MouseButton b) {
    Held(b) = true;
    target_.Post(MouseEvent{MouseEventKind::Down, b, held_, pointerX_, pointerY_});
  }
  void Release(MouseButton b) {
    Held(b) = false;
    target_.Post(MouseEvent{MouseEventKind::Up, b, held_, pointerX_, pointerY_});
  }
  bool& Held(MouseButton b) {
    return b == MouseButton::Left ? held_.left : b == MouseButton::Right ? held_.right : held_.middle;
  }
  void Click(std::int32_t x) {
    if (held_.right) Release(MouseButton::Right);
    if (x != pointerX_) MoveTo(x);
    if (held_.left) Release(MouseButton::Left);
    Press(MouseButton::Left);
    Release(MouseButton::Left);
  }

  void ReadEnding() {
    if (g_.scriptNext < g_.scriptCount && g_.player.ap >= AttackCost) Click(pointerX_);
  }

  // The statistic the next experience point goes to, or none.
  std::int32_t WantedUpgrade() const {
    const Fighter& p = g_.player;
    if (p.exp <= 0) return -1;
    const StageRow& next = StageTableRow(std::min(g_.saveBlock.stage + 1, LastStage));
    if (p.maxHp < std::min(StatLimit, 3 * next.attack + 10)) return CommandHp;
    if (p.attack < StatLimit && p.attack * 4 < p.maxAp) return CommandAttack;
    if (p.maxAp < StatLimit) return CommandAp;
    if (p.attack < StatLimit) return CommandAttack;
    if (p.maxHp < StatLimit) return CommandHp;
    return -1;
  }

  // Strong enough to win the next stage cleanly.
  bool ReadyToAdvance() const {
    if (settings_.soakSteps) {
      // Spread the game over the soak: the ending comes near its end.
      const std::int64_t perStage = *settings_.soakSteps * 9 / 100;
      return step_ >= perStage * g_.saveBlock.stage;
    }
    const Fighter& p = g_.player;
    const StageRow& next = StageTableRow(g_.saveBlock.stage + 1);
    return p.attack * 6 >= next.maxHp && p.maxHp > 2 * next.attack;
  }

  bool Saved() const {
    const SaveBlock& s = g_.saveBlock;
    const Fighter& p = g_.player;
    return savedStage_ == s.stage && s.exp == p.exp && s.maxHp == p.maxHp && s.attack == p.attack &&
           s.maxAp == p.maxAp;
  }

  void ChooseCommand() {
    if (g_.player.ap < AttackCost) {
      if (held_.right) Release(MouseButton::Right);
      return;
    }
    std::int32_t wanted = WantedUpgrade();
    if (wanted < 0) wanted = !Saved() ? CommandSave : ReadyToAdvance() ? CommandAdvance : CommandTrain;
    if (g_.selectedCommand != wanted) {
      if (held_.right) Release(MouseButton::Right);
      Press(MouseButton::Right);  // one step of the menu per battle step, as a player would
      Release(MouseButton::Right);
      return;
    }
    if (wanted == CommandSave) savedStage_ = g_.saveBlock.stage;
    Click(pointerX_);
    ++commandsRun_;
  }

  // Soak battles are now and then thrown, to pass through defeat and the retry.
  bool Throwing() const { return settings_.soakSteps && commandsRun_ % 7 == 3; }

  void Fight() {
    if (g_.player.hp <= 0 || g_.enemy.hp <= 0) return;
    forecast_.Reset(g_);
    const Fighter& e = g_.enemy;
    if (Throwing()) {
      Steer(Choice{e.x, false, false});
      return;
    }
    std::vector<std::int32_t> targets;
    for (std::int32_t k = 0; k <= 17; ++k) targets.push_back(e.x + k);
    targets.push_back(g_.clientWidth);
    targets.push_back(g_.player.x);

    // Take no hit if that can be helped, then hit as hard as possible, then keep away.
    Choice best;
    Outcome bestOutcome{1 << 30, 0, 0};
    auto better = [](const Outcome& a, const Choice& ca, const Outcome& b, const Choice& cb) {
      if (a.toPlayer != b.toPlayer) return a.toPlayer < b.toPlayer;
      if (a.toEnemy != b.toEnemy) return a.toEnemy > b.toEnemy;
      if (ca.guard != cb.guard) return !ca.guard;
      if (ca.attack != cb.attack) return !ca.attack;
      return a.distance > b.distance;
    };
    // The first time at a stage, the whole story comes first: each swing at the air
    // tells its next line, and no blow is struck until it is told.
    const bool telling = g_.scriptNext < g_.scriptCount && storyRead_ < g_.saveBlock.stage;
    for (std::int32_t t : targets)
      for (int mode = 0; mode < 3; ++mode) {
        if (telling && mode == 1) continue;
        const Choice c{t, mode == 1, mode == 2};
        const Outcome o = forecast_.Try(c);
        if (better(o, c, bestOutcome, best)) {
          best = c;
          bestOutcome = o;
        }
      }
    if (telling && g_.player.ap >= AttackCost) {
      const Choice miss{g_.clientWidth, true, false};
      const Outcome o = forecast_.Try(miss);
      if (o.toPlayer == 0 && o.toEnemy == 0 && o.distance > 17) best = miss;
    }
    if (g_.scriptNext >= g_.scriptCount) storyRead_ = std::max(storyRead_, g_.saveBlock.stage);
    Steer(best);
  }

  void Steer(const Choice& c) {
    const std::int32_t x = c.targetX + PointerOffset;
    if (c.guard) {
      if (x != pointerX_) MoveTo(x);
      if (!held_.right) Press(MouseButton::Right);
      return;
    }
    if (held_.right) Release(MouseButton::Right);
    if (c.attack)
      Click(x);
    else if (x != pointerX_ || g_.player.targetX != c.targetX)
      MoveTo(x);
  }

  Settings settings_;
  Session& target_;
  GameState& g_;
  std::mt19937 noise_;
  DuelForecast forecast_;
  ShiftState held_;
  std::int32_t pointerX_ = 0;
  std::int32_t pointerY_ = 300;
  std::int64_t step_ = 0;
  std::int32_t savedStage_ = -1;
  std::int64_t commandsRun_ = 0;
  int afterEnding_ = 0;
  std::int32_t storyRead_ = 0;  // the last stage whose story was read to its end
};

// True when `message` is `pattern` with something in place of each "{}".
bool Fits(std::string_view message, std::string_view pattern) {
  std::size_t at = 0;
  bool first = true;
  while (true) {
    const std::size_t hole = pattern.find("{}");
    const std::string_view chunk = pattern.substr(0, hole);
    if (hole == std::string_view::npos)
      return first ? message == chunk : message.size() >= at + chunk.size() && message.ends_with(chunk);
    const std::size_t found = first ? (message.starts_with(chunk) ? 0 : std::string_view::npos) : message.find(chunk, at);
    if (found == std::string_view::npos) return false;
    at = found + chunk.size() + 1;  // a filled hole holds one character at least
    pattern.remove_prefix(hole + 2);
    first = false;
  }
}

// What the game told the player, counted: which parts of the game the run went through.
struct Tally {
  std::array<std::int32_t, LastStage + 1> wins{};
  std::int32_t defeats = 0, restarts = 0, saves = 0, upgrades = 0, refusals = 0;

  void Count(const GameState& g, const Journal& j) {
    for (const std::string& m : j.messages) {
      auto is = [&](std::string_view key) { return Fits(m, TextLines(g.language, key).front()); };
      if (is(text::Victory)) ++wins[g.saveBlock.stage];
      if (is(text::Defeated)) ++defeats;
      if (is(text::ResumedAt)) ++restarts;
      if (is(text::Saved)) ++saves;
      if (is(text::Upgraded)) ++upgrades;
      if (is(text::AtLimit) || is(text::NoExp)) ++refusals;
    }
  }
  void Print() const {
    std::printf("wins by stage");
    for (std::int32_t s = 1; s <= LastStage; ++s) std::printf(" %d", wins[s]);
    std::printf("; defeats %d, restarts from the save %d, saves %d, upgrades %d, refused upgrades %d\n", defeats,
                restarts, saves, upgrades, refusals);
  }
};

int Run(const std::string& out, const Settings& settings, const std::string& tracePath) {
  SetDataFolder(VEXA_SOURCE_DIR);
  std::ofstream trace;
  if (!tracePath.empty()) trace.open(tracePath, std::ios::binary | std::ios::trunc);
  SessionOptions so;
  so.seed = settings.seed;
  so.language = settings.language;
  so.trace = trace.is_open() ? &trace : nullptr;
  so.keepJournal = true;
  so.recordFrom = TBrixSaveLoad::ReadImage();
  Session session(so);
  GameState* g = &session.Game();
  Autoplayer player(settings, session, *g);
  Tally tally;
  const std::int64_t limit = settings.soakSteps.value_or(2'000'000);
  std::int64_t step = 0;
  for (; step < limit; ++step) {
    // The player acts through the session before every step, as a replay's events do.
    player.Act(step);
    session.Step();
    tally.Count(*g, session.LastStepJournal());
    if (player.Finished()) {
      ++step;
      break;
    }
  }
  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  if (!session.Recording()->WriteTo(file)) {
    std::cerr << "vexa_autoplay: cannot write " << out << '\n';
    return 1;
  }
  const Fighter& p = g->player;
  std::printf("%lld steps, stage %d, ending %s (%d/%d lines), training %d, HP %d, attack %d, AP %d, exp %d\n",
              static_cast<long long>(step), g->saveBlock.stage, g->ending ? "yes" : "no", g->scriptNext,
              g->scriptCount, g->saveBlock.trainingCount, p.maxHp, p.attack, p.maxAp, p.exp);
  tally.Print();
  return settings.soakSteps || g->ending ? 0 : 1;
}

}  // namespace
}  // namespace vexa

int main(int argc, char** argv) {
  vexa::Settings settings;
  std::string out, trace;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--seed" && hasValue)
      settings.seed = static_cast<std::uint32_t>(std::stoul(argv[++i]));
    else if (arg == "--soak" && hasValue)
      settings.soakSteps = std::stoll(argv[++i]);
    else if (arg == "--trace" && hasValue)
      trace = argv[++i];
    else if (arg == "--lang" && hasValue && vexa::ReadLanguage(argv[i + 1]))
      settings.language = *vexa::ReadLanguage(argv[++i]);
    else if (out.empty() && arg[0] != '-')
      out = arg;
    else {
      std::cerr << "usage: vexa_autoplay OUT.replay [--seed N] [--soak STEPS] [--trace OUT.jsonl] [--lang ja|en]\n";
      return 2;
    }
  }
  if (out.empty()) {
    std::cerr << "usage: vexa_autoplay OUT.replay [--seed N] [--soak STEPS] [--trace OUT.jsonl] [--lang ja|en]\n";
    return 2;
  }
  try {
    return vexa::Run(out, settings, trace);
  } catch (const std::exception& e) {
    std::cerr << "vexa_autoplay: " << e.what() << '\n';
    return 1;
  }
}
