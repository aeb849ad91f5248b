#pragma once
// The game's records: one GameState that every rule reads and writes, the two
// Fighters, the SaveBlock kept in "save.dat", and the program-wide objects of the
// other units (message panel, enemy memory, random generator, backbuffer).
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "lib/BrixBmp.h"
#include "lib/Random.h"

namespace vexa {

inline constexpr std::int32_t ClientWidth = 600;
inline constexpr std::int32_t ClientHeight = 450;
inline constexpr ColorTriple KeyColor{0, 0, 255};  // pure red: transparent in every fighter picture

// The two recoloured surfaces of one body part.
struct SpritePair {
  std::unique_ptr<TBrixBitmap> shape;
  std::unique_ptr<TBrixBitmap> outline;
};

// A fighter's numbers: everything the rules read and write. Plain values, so a forecast
// of a step copies a fighter with one assignment.
struct FighterState {
  bool isPlayer = false;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t targetX = 0;
  bool attacking = false;
  bool guarding = false;
  std::int32_t exp = 0;
  std::int32_t maxHp = 0;
  std::int32_t attack = 0;
  std::int32_t maxAp = 0;
  std::int32_t hp = 0;
  std::int32_t ap = 0;
};

// The pictures a fighter is drawn from, owned by it.
struct FighterPictures {
  SpritePair head;
  SpritePair body;
  SpritePair foot;
  std::unique_ptr<TBrixBitmap> face;
  std::unique_ptr<TBrixBitmap> guardFace;
  std::unique_ptr<TBrixBitmap> slash;
};

struct Fighter : FighterState, FighterPictures {};

// Stored byte for byte in "save.dat": six little-endian signed 32-bit integers.
struct SaveBlock {
  std::int32_t exp = 0;
  std::int32_t maxHp = 0;
  std::int32_t attack = 0;
  std::int32_t maxAp = 0;
  std::int32_t stage = 0;
  std::int32_t trainingCount = 0;
};
static_assert(sizeof(SaveBlock) == 24);

inline constexpr std::int32_t ScriptCapacity = 100;
inline constexpr std::int32_t LogCapacity = 256;

// The scrolling message panel.
struct MessageLog {
  std::array<std::string, LogCapacity> lines;
  std::int32_t count = 0;
  std::int32_t freshCount = 0;
  std::int32_t scroll = 0;
  bool laidOut = false;
};

struct GameState {
  Fighter player;
  Fighter enemy;
  bool clickLatch = false;
  bool rightHeld = false;
  SaveBlock saveBlock;
  std::array<std::string, ScriptCapacity> scriptLines;
  std::int32_t scriptCount = 0;
  std::int32_t scriptNext = 0;
  bool battleOn = false;
  std::int32_t selectedCommand = 0;
  std::int32_t retryClicks = 0;
  bool ending = false;
  bool damagedSave = false;  // "save.dat" is there but could not be loaded: kept before it is replaced

  // Program-wide objects owned by other units.
  MessageLog messageLog;                     // the message panel
  std::int32_t enemyMode = 0;                // the enemy's memory between steps
  std::int32_t enemyPhase = 0;
  RandomState random;                        // shared by the enemy and the jitter
  std::int32_t clientWidth = ClientWidth;    // the main form's client area
  std::int32_t clientHeight = ClientHeight;
  std::unique_ptr<TBrixBitmap> backbuffer;   // every frame is drawn here
};

// Fighters and the game's start (the rules of this unit).
void CreateFighter(Fighter& f, bool isPlayer);
void CreateFighters(GameState& g);
void SetupFighter(GameState& g, Fighter& f, std::int32_t maxHp, std::int32_t attack,
                  std::int32_t maxAp, std::int32_t exp, ColorTriple bodyColor);
void RefillFighter(Fighter& f);
void FreeFighter(Fighter& f);
void FreeFighters(GameState& g);
void StartGame(GameState& g);

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
