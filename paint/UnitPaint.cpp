#include "paint/UnitPaint.h"

#include <algorithm>
#include <array>

#include "lib/Checked.h"
#include "paint/MessageLog.h"
#include "paint/StatusBars.h"

namespace vexa {

namespace {

TBrixBitmap& Surface(const std::unique_ptr<TBrixBitmap>& surface) {
  if (!surface) throw VexaError("UnitPaint: a fighter picture was never created");
  return *surface;
}


// The enemy's offsets run leftward from x and land one picture width (64) further left.
constexpr std::int32_t MirrorWidth = 64;

struct Placement {
  const SpritePair* pair = nullptr;
  std::int32_t y = 0;
  std::int32_t x = 0;
};

constexpr std::int32_t PlacementCapacity = 10;

struct PlacementList {
  std::array<Placement, PlacementCapacity> items{};
  std::int32_t count = 0;
};

enum class Part { Head, Body, Foot };

struct PartOffset {
  Part part;
  std::int32_t dx;
  std::int32_t dy;
};

// The normal pose is the attack pose with one more foot in front.
constexpr std::array<PartOffset, 8> NormalPose{{{Part::Foot, 5, 40},
                                                {Part::Head, 0, 0},
                                                {Part::Body, 36, 0},
                                                {Part::Foot, 20, 40},
                                                {Part::Foot, 46, 40},
                                                {Part::Foot, 61, 40},
                                                {Part::Foot, 80, 18},
                                                {Part::Foot, 84, 12}}};
constexpr std::array<PartOffset, 7> AttackPose{{{Part::Head, 0, 0},
                                                {Part::Body, 36, 0},
                                                {Part::Foot, 20, 40},
                                                {Part::Foot, 46, 40},
                                                {Part::Foot, 61, 40},
                                                {Part::Foot, 80, 18},
                                                {Part::Foot, 84, 12}}};
constexpr std::array<PartOffset, 4> GuardPose{
    {{Part::Head, 0, 5}, {Part::Body, 36, 5}, {Part::Foot, 80, 23}, {Part::Foot, 84, 17}}};

const SpritePair& PairOf(const Fighter& f, Part part) {
  switch (part) {
    case Part::Head:
      return f.head;
    case Part::Body:
      return f.body;
    case Part::Foot:
      return f.foot;
  }
  VEXA_ASSERT(false, "UnitPaint");
  return f.head;
}

std::int32_t JitteredX(RandomState& random, const Fighter& f, std::int32_t dx) {
  const std::int32_t r = Random(random, 2);
  if (f.isPlayer) return chk::Add(chk::Add(f.x, dx), r);
  return chk::Sub(chk::Sub(chk::Sub(f.x, dx), r), MirrorWidth);
}

std::int32_t JitteredY(RandomState& random, const Fighter& f, std::int32_t dy) {
  const std::int32_t s = Random(random, 2);
  return chk::Add(chk::Add(f.y, dy), s);
}

// A single picture draws its vertical jitter first; placements draw the horizontal first.
void DrawSingle(TBrixBitmap& target, RandomState& random, const Fighter& f,
                const std::unique_ptr<TBrixBitmap>& picture, std::int32_t dx, std::int32_t dy) {
  const std::int32_t y = JitteredY(random, f, dy);
  const std::int32_t x = JitteredX(random, f, dx);
  Surface(picture).DrawOnto(target, x, y);
}

void Append(PlacementList& list, const SpritePair& pair, std::int32_t y, std::int32_t x) {
  list.items[CheckIndex("placements", list.count, PlacementCapacity)] = Placement{&pair, y, x};
  list.count = chk::Add(list.count, 1);
}

template <std::size_t N>
void AppendPose(RandomState& random, const Fighter& f, const std::array<PartOffset, N>& pose, PlacementList& list) {
  for (const PartOffset& offset : pose) {
    const std::int32_t x = JitteredX(random, f, offset.dx);
    const std::int32_t y = JitteredY(random, f, offset.dy);
    Append(list, PairOf(f, offset.part), y, x);
  }
}

}  // namespace

void ComposeFrame(GameState& g) {
  if (!g.backbuffer) return;
  TBrixBitmap& frame = *g.backbuffer;
  frame.Fill(ColorWhite);
  DrawStatusBars(frame, g);
  LayoutMessageLog(frame, g.messageLog);
  DrawFighter(frame, g.random, g.player);
  DrawFighter(frame, g.random, g.enemy);  // after the player, so the enemy is on top where they meet
}

void DrawFighter(TBrixBitmap& target, RandomState& random, const Fighter& f) {
  PlacementList list;

  // Guarding wins over attacking: a guard never shows the slash.
  if (f.guarding) {
    AppendPose(random, f, GuardPose, list);
  } else if (f.attacking) {
    DrawSingle(target, random, f, f.slash, -25, -5);  // under the body
    AppendPose(random, f, AttackPose, list);
  } else {
    AppendPose(random, f, NormalPose, list);
  }

  // Every fill covers every line, so overlapping parts read as one body.
  for (std::int32_t i = 0; i < list.count; ++i) {
    const Placement& p = list.items[CheckIndex("placements", i, PlacementCapacity)];
    Surface(p.pair->outline).DrawOnto(target, p.x, p.y);
  }
  for (std::int32_t i = 0; i < list.count; ++i) {
    const Placement& p = list.items[CheckIndex("placements", i, PlacementCapacity)];
    Surface(p.pair->shape).DrawOnto(target, p.x, p.y);
  }

  if (f.guarding)
    DrawSingle(target, random, f, f.guardFace, 0, 5);
  else
    DrawSingle(target, random, f, f.face, 0, 0);
}

}  // namespace vexa
