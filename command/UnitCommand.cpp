#include "command/UnitCommand.h"

#include <string>

#include "lib/BrixSaveLoad.h"
#include "lib/BrixWave.h"
#include "lib/Checked.h"
#include "record/MessageLog.h"
#include "record/Texts.h"
#include "stage/UnitStage.h"
#include "record/GameRecord.h"

namespace vexa {

namespace {

std::string Prompt(const GameState& g, std::int32_t command) {
  const std::string exp = std::to_string(g.player.exp);
  switch (static_cast<Command>(command)) {
    case Command::Save: return Text(g.language, text::PromptSave);
    case Command::UpgradeHp: return Text(g.language, text::PromptHp, {exp});
    case Command::UpgradeAttack: return Text(g.language, text::PromptAttack, {exp});
    case Command::UpgradeAp: return Text(g.language, text::PromptAp, {exp});
    case Command::Train: return Text(g.language, text::PromptTrain);
    case Command::Advance: return Text(g.language, text::PromptAdvance);
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
  if (g.selectedCommand == NoCommand) {
    TBrixWave::Play(SoundMiss);
    return;
  }
  switch (static_cast<Command>(g.selectedCommand)) {
    case Command::Save: SaveProgress(g); return;
    case Command::UpgradeHp: UpgradeStat(g, g.player.maxHp, Text(g.language, text::LabelHp), 10, StatLimit); return;
    case Command::UpgradeAttack: UpgradeStat(g, g.player.attack, Text(g.language, text::LabelAttack), 1, StatLimit); return;
    case Command::UpgradeAp: UpgradeStat(g, g.player.maxAp, Text(g.language, text::LabelAp), 5, StatLimit); return;
    case Command::Train: Train(g); return;
    case Command::Advance: Advance(g); return;
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
    AddMessage(g.messageLog, Text(g.language, text::Saved));
    WriteReport(g);
  } else {
    TBrixWave::Play(SoundRefused);
    AddMessage(g.messageLog, Text(g.language, text::SaveFailed));
  }
}

void UpgradeStat(GameState& g, std::int32_t& stat, std::string_view label, std::int32_t step,
                 std::int32_t limit) {
  if (stat >= limit) {
    TBrixWave::Play(SoundRefused);
    AddMessage(g.messageLog, Text(g.language, text::AtLimit));
    return;
  }
  if (g.player.exp <= 0) {
    TBrixWave::Play(SoundRefused);
    AddMessage(g.messageLog, Text(g.language, text::NoExp));
    return;
  }
  stat = chk::Add(stat, step);
  g.player.exp = chk::Sub(g.player.exp, 1);
  if (stat >= limit) stat = limit;
  RefillFighter(g.player);
  TBrixWave::Play(SoundUpgrade);
  AddMessage(g.messageLog, Text(g.language, text::Upgraded, {label, std::to_string(g.player.exp)}));
}

}  // namespace vexa
