#pragma once
// The game's record and the numbers its rules are made of: one GameState that every rule
// reads and writes, the two Fighters, the SaveBlock kept in "save.dat", the message
// panel's lines, and the program-wide objects of the other units (enemy memory, random
// generator, backbuffer). Every rule unit and the drawing build on this header alone.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "lib/BrixBmp.h"
#include "lib/Language.h"
#include "lib/Checked.h"
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

struct ComposeMemory;  // the drawing's own (paint/)

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
  Language language = Language::Japanese;  // of every text, for the whole run
  bool damagedSave = false;  // "save.dat" is there but could not be loaded: kept before it is replaced

  // Program-wide objects owned by other units.
  MessageLog messageLog;                     // the message panel
  std::int32_t enemyMode = 0;                // the enemy's memory between steps
  std::int32_t enemyPhase = 0;
  RandomState random;                        // shared by the enemy and the jitter
  std::int32_t clientWidth = ClientWidth;    // the main form's client area
  std::int32_t clientHeight = ClientHeight;
  std::unique_ptr<TBrixBitmap> backbuffer;   // every frame is drawn here
  std::shared_ptr<ComposeMemory> composed;   // what the backbuffer holds from the last frame
};

// Rule numbers that more than one unit needs.
inline constexpr std::int32_t AttackCost = 20;     // AP a swing costs
inline constexpr std::int32_t Reach = 17;          // a swing lands at this distance or less
inline constexpr std::int32_t LastStage = 10;
inline constexpr std::int32_t StatLimit = 255;     // HP, attack and AP grow to this at most
inline constexpr std::int32_t MaxExp = 999;        // experience stops here
inline constexpr std::int32_t StartMaxHp = 50;     // a new game's fighter
inline constexpr std::int32_t StartAttack = 5;
inline constexpr std::int32_t StartMaxAp = 100;
inline constexpr std::int32_t StepMilliseconds = 50;  // one battle step on the clock
inline constexpr const char* GameTitle = "V.E.X.A.";
inline constexpr std::int32_t PointerOffset = 48;  // the player stands this far left of the pointer

// True when a swing can land: the player, who fights from the right, stands at most
// Reach right of the enemy (or anywhere left of it).
inline bool InRange(const GameState& g) { return chk::Sub(g.player.x, g.enemy.x) <= Reach; }

// The six commands between battles, in menu order; `selectedCommand` holds one as a
// number, or NoCommand.
enum class Command : std::int32_t { Save, UpgradeHp, UpgradeAttack, UpgradeAp, Train, Advance };
inline constexpr std::int32_t NoCommand = -1;
inline constexpr std::int32_t CommandCount = 6;

// Every file the game reads from dat/, by the game's own names ("dat\dun.wav").
inline constexpr const char* PictureHead = "dat\\vexa_head.bmp";
inline constexpr const char* PictureBody = "dat\\vexa_body.bmp";
inline constexpr const char* PictureFoot = "dat\\vexa_foot.bmp";
inline constexpr const char* PictureFace = "dat\\vexa_face.bmp";
inline constexpr const char* PictureGuardFace = "dat\\vexa_face2.bmp";
inline constexpr const char* PictureSlash = "dat\\vexa_slash.bmp";

inline constexpr const char* SoundRetryClick = "dat\\タ2.wav";        // also choosing a command
inline constexpr const char* SoundRestart = "dat\\cap_tiron02-2.wav";
inline constexpr const char* SoundGuarded = "dat\\コン.wav";
inline constexpr const char* SoundKnockOut = "dat\\break2.wav";
inline constexpr const char* SoundHit = "dat\\dun.wav";
inline constexpr const char* SoundMiss = "dat\\suka.wav";
inline constexpr const char* SoundTrain = "dat\\turn.wav";
inline constexpr const char* SoundAdvance = "dat\\thathatha.wav";
inline constexpr const char* SoundSaved = "dat\\popon.wav";
inline constexpr const char* SoundRefused = "dat\\bub.wav";
inline constexpr const char* SoundUpgrade = "dat\\up.wav";

// A data folder counts only when it holds all of them.
inline constexpr std::array<const char*, 17> GameDataFiles{
    PictureHead,  PictureBody,   PictureFoot,  PictureFace,    PictureGuardFace, PictureSlash,
    SoundRetryClick, SoundRestart, SoundGuarded, SoundKnockOut, SoundHit,        SoundMiss,
    SoundTrain,   SoundAdvance,  SoundSaved,   SoundRefused,   SoundUpgrade};

}  // namespace vexa
