#include "record/UnitData.h"

#include <algorithm>

#include "lib/BrixSaveLoad.h"
#include "lib/GamePaths.h"
#include "lib/ShiftJis.h"
#include "record/MessageLog.h"
#include "record/Pictures.h"
#include "record/GameRecord.h"

namespace vexa {

namespace {

void LoadSingle(std::unique_ptr<TBrixBitmap>& surface, const char* gameName) {
  surface->LoadPicture(NativePath(gameName));
}

// The save file holds the block as little-endian integers whatever the host's order.
std::array<std::uint8_t, 24> SaveBlockBytes(const SaveBlock& b) {
  const std::int32_t fields[6] = {b.exp, b.maxHp, b.attack, b.maxAp, b.stage, b.trainingCount};
  std::array<std::uint8_t, 24> out{};
  for (int i = 0; i < 6; ++i) {
    const auto v = static_cast<std::uint32_t>(fields[i]);
    for (int k = 0; k < 4; ++k) out[static_cast<std::size_t>(i * 4 + k)] = static_cast<std::uint8_t>(v >> (8 * k));
  }
  return out;
}

SaveBlock SaveBlockFromBytes(const std::array<std::uint8_t, 24>& in) {
  std::int32_t fields[6];
  for (int i = 0; i < 6; ++i) {
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= std::uint32_t{in[static_cast<std::size_t>(i * 4 + k)]} << (8 * k);
    fields[i] = static_cast<std::int32_t>(v);
  }
  return SaveBlock{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
}

}  // namespace

std::string SaveGameBlock(const SaveBlock& block) {
  const auto bytes = SaveBlockBytes(block);
  return TBrixSaveLoad::Save(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

bool KeepDamagedSave(GameState& g) {
  if (!g.damagedSave) return true;
  if (TBrixSaveLoad::SetAsideDamaged().empty()) return false;
  g.damagedSave = false;
  return true;
}

std::string LoadGameBlock(SaveBlock& block) {
  auto bytes = SaveBlockBytes(block);
  const std::string result = TBrixSaveLoad::Load(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  block = SaveBlockFromBytes(bytes);
  return result;
}

void CreateFighter(Fighter& f, bool isPlayer) {
  f.isPlayer = isPlayer;
  f.attacking = false;
  f.guarding = false;
  CreateSpritePair(f.head);
  CreateSpritePair(f.body);
  CreateSpritePair(f.foot);
  f.face = std::make_unique<TBrixBitmap>();
  f.guardFace = std::make_unique<TBrixBitmap>();
  f.slash = std::make_unique<TBrixBitmap>();
  LoadSingle(f.face, PictureFace);
  LoadSingle(f.guardFace, PictureGuardFace);
  LoadSingle(f.slash, PictureSlash);
  if (!isPlayer) {
    FlipHorizontal(*f.face);
    FlipHorizontal(*f.guardFace);
    FlipHorizontal(*f.slash);
  }
  f.face->MakeKeyMask(KeyColor);
  f.guardFace->MakeKeyMask(KeyColor);
  f.slash->MakeKeyMask(KeyColor);
}

void CreateFighters(GameState& g) {
  CreateFighter(g.player, true);
  CreateFighter(g.enemy, false);
}

void SetupFighter(GameState& g, Fighter& f, std::int32_t maxHp, std::int32_t attack, std::int32_t maxAp,
                  std::int32_t exp, ColorTriple bodyColor) {
  f.x = f.isPlayer ? g.clientWidth : 0;
  f.y = 300;
  LoadSpritePair(f.head, PictureHead, !f.isPlayer, bodyColor);
  LoadSpritePair(f.body, PictureBody, !f.isPlayer, bodyColor);
  LoadSpritePair(f.foot, PictureFoot, !f.isPlayer, bodyColor);
  f.exp = exp;
  f.maxHp = maxHp;
  f.attack = attack;
  f.maxAp = maxAp;
}

void RefillFighter(Fighter& f) {
  f.hp = f.maxHp;
  f.ap = f.maxAp;
}

void FreeFighter(Fighter& f) {
  FreeSpritePair(f.head);
  FreeSpritePair(f.body);
  FreeSpritePair(f.foot);
  f.face.reset();
  f.guardFace.reset();
  f.slash.reset();
}

void FreeFighters(GameState& g) {
  FreeFighter(g.player);
  FreeFighter(g.enemy);
}

bool SaveBlockPlausible(const SaveBlock& b) {
  // Stats only grow from a new game's up to their limits, and the last stage is never saved
  // (its win goes straight to the ending).
  const auto within = [](std::int32_t v, std::int32_t low, std::int32_t high) { return v >= low && v <= high; };
  return within(b.exp, 0, MaxExp) && within(b.maxHp, StartMaxHp, StatLimit) &&
         within(b.attack, StartAttack, StatLimit) && within(b.maxAp, StartMaxAp, StatLimit) &&
         within(b.stage, 1, LastStage - 1) && b.trainingCount >= 0;
}

std::string ReportLine(const GameState& g) {
  std::string line = "【V.E.X.A.レポート】";
  if (g.ending) line += "【クリア】";
  line += g.saveBlock.stage == 10 ? std::string("StageFinal") : "Stage" + std::to_string(g.saveBlock.stage);
  line += "／修行回数" + std::to_string(g.saveBlock.trainingCount);
  line += "／ＨＰ" + std::to_string(g.player.maxHp);
  line += "／攻撃" + std::to_string(g.player.attack);
  line += "／ＡＰ" + std::to_string(g.player.maxAp);
  line += "／EXP" + std::to_string(g.player.exp);
  return line;
}

void WriteReport(const GameState& g) {
  // Every character of the line has a CP932 form, so the conversion cannot fail.
  const std::string sjis = ToShiftJis(ReportLine(g)).value_or(std::string());
  TBrixFileAccess::OutText(ReportFileName, sjis + "\r\n", false);
}

}  // namespace vexa
