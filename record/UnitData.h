#pragma once
// The rules of the record itself: fighters set up and freed, the save block written and
// read, the report.
#include <cstdint>
#include <string>

#include "record/GameRecord.h"

namespace vexa {

// Fighters and the game's start (the rules of this unit).
void CreateFighter(Fighter& f, bool isPlayer);
void CreateFighters(GameState& g);
void SetupFighter(GameState& g, Fighter& f, std::int32_t maxHp, std::int32_t attack,
                  std::int32_t maxAp, std::int32_t exp, ColorTriple bodyColor);
void RefillFighter(Fighter& f);
void FreeFighter(Fighter& f);
void FreeFighters(GameState& g);

// True when a loaded save holds only values the game itself can write.
bool SaveBlockPlausible(const SaveBlock& block);

// "save.dat" through TBrixSaveLoad, the block as six little-endian integers.
std::string SaveGameBlock(const SaveBlock& block);
// Before the first save replaces a save that failed to load, the player's bytes go aside;
// false when they could not, and the save must not go ahead.
bool KeepDamagedSave(GameState& g);
std::string LoadGameBlock(SaveBlock& block);  // leaves `block` unchanged on failure

inline constexpr const char* ReportFileName = "レポート.txt";

// The one-line report "レポート.txt", in Shift-JIS with CR LF.
std::string ReportLine(const GameState& g);  // UTF-8, without the line break
void WriteReport(const GameState& g);

}  // namespace vexa
