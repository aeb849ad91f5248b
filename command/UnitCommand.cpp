#include "command/UnitCommand.h"

#include <string>

#include "lib/BrixSaveLoad.h"
#include "lib/BrixWave.h"
#include "lib/Checked.h"
#include "paint/MessageLog.h"
#include "stage/UnitStage.h"
#include "core/GameFiles.h"

namespace vexa {

namespace {

constexpr std::int32_t CommandCount = 6;
constexpr std::int32_t StatLimit = 255;

std::string Prompt(const GameState& g, std::int32_t command) {
  const std::string exp = std::to_string(g.player.exp);
  switch (command) {
    case 0: return "⇒【セーブ】しますか？";
    case 1: return "⇒【ＨＰ強化】しますか？（残りExp：" + exp + "）";
    case 2: return "⇒【攻撃強化】しますか？（残りExp：" + exp + "）";
    case 3: return "⇒【ＡＰ強化】しますか？（残りExp：" + exp + "）";
    case 4: return "⇒【修行】しますか？";
    case 5: return "⇒【前進】しますか？";
  }
  VEXA_ASSERT(false, "UnitCommand");
  return {};
}

void Train(GameState& g) {
  TBrixWave::Play(SoundTrain);
  StartStage(g, g.saveBlock.stage);
  g.saveBlock.trainingCount = chk::Add(g.saveBlock.trainingCount, 1);
}

void Advance(GameState& g) {
  TBrixWave::Play(SoundAdvance);
  StartStage(g, chk::Add(g.saveBlock.stage, 1));
}

}  // namespace

void CycleCommand(GameState& g) {
  if (g.ending) return;
  TBrixWave::Play(SoundRetryClick);
  g.selectedCommand = chk::Mod(chk::Add(g.selectedCommand, 1), CommandCount);
  AddMessage(g.messageLog, Prompt(g, g.selectedCommand));
}

void RunCommand(GameState& g) {
  switch (g.selectedCommand) {
    case -1: TBrixWave::Play(SoundMiss); return;
    case 0: SaveProgress(g); return;
    case 1: UpgradeStat(g, g.player.maxHp, "ＨＰ", 10, StatLimit); return;
    case 2: UpgradeStat(g, g.player.attack, "攻撃", 1, StatLimit); return;
    case 3: UpgradeStat(g, g.player.maxAp, "ＡＰ", 5, StatLimit); return;
    case 4: Train(g); return;
    case 5: Advance(g); return;
  }
  VEXA_ASSERT(false, "UnitCommand");
}

void SaveProgress(GameState& g) {
  g.saveBlock.exp = g.player.exp;
  g.saveBlock.maxHp = g.player.maxHp;
  g.saveBlock.attack = g.player.attack;
  g.saveBlock.maxAp = g.player.maxAp;
  if (KeepDamagedSave(g) && SaveGameBlock(g.saveBlock) == ResultSuccess) {
    TBrixWave::Play(SoundSaved);
    AddMessage(g.messageLog, "セーブしました。");
    WriteReport(g);
  } else {
    TBrixWave::Play(SoundRefused);
    AddMessage(g.messageLog, "セーブ出来ませんでした。");
  }
}

void UpgradeStat(GameState& g, std::int32_t& stat, std::string_view label, std::int32_t step,
                 std::int32_t limit) {
  if (stat >= limit) {
    TBrixWave::Play(SoundRefused);
    AddMessage(g.messageLog, "これ以上は増やせません。");
    return;
  }
  if (g.player.exp <= 0) {
    TBrixWave::Play(SoundRefused);
    AddMessage(g.messageLog, "EXPが足りません。");
    return;
  }
  stat = chk::Add(stat, step);
  g.player.exp = chk::Sub(g.player.exp, 1);
  if (stat >= limit) stat = limit;
  RefillFighter(g.player);
  TBrixWave::Play(SoundUpgrade);
  AddMessage(g.messageLog, std::string(label) + "がアップした！（残りExp：" + std::to_string(g.player.exp) + "）");
}

}  // namespace vexa
