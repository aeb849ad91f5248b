#include "paint/UnitPaint.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "lib/Checked.h"
#include "paint/MessagePanel.h"
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

// Where one picture of a fighter goes; a fighter is drawn as up to 18 of them, in order.
struct Drawn {
  const TBrixBitmap* picture = nullptr;
  std::int32_t x = 0;
  std::int32_t y = 0;
};

}  // namespace

// A fighter's pictures for one frame, placed (the tremble drawn) before any is drawn, so a
// frame can draw them into several parts of itself.
struct FighterPlan {
  std::array<Drawn, 1 + 2 * PlacementCapacity + 1> items{};
  std::int32_t count = 0;
  PixelRect box;  // all the pictures cover, cut to the target
};

namespace {

void Add(FighterPlan& plan, const TBrixBitmap& target, const TBrixBitmap& picture, std::int32_t x, std::int32_t y) {
  plan.items[CheckIndex("pictures", plan.count, static_cast<std::int32_t>(plan.items.size()))] = Drawn{&picture, x, y};
  plan.count = chk::Add(plan.count, 1);
  // Only what the picture can change counts, not its see-through margins.
  const PixelRect drawn = picture.DrawnBounds();
  auto cut = [](std::int64_t v, std::int32_t limit) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, limit));
  };
  const PixelRect covered{cut(std::int64_t{x} + drawn.left, target.Width()), cut(std::int64_t{y} + drawn.top, target.Height()),
                          cut(std::int64_t{x} + drawn.right, target.Width()),
                          cut(std::int64_t{y} + drawn.bottom, target.Height())};
  plan.box = Bounds(plan.box, Intersection(covered, PixelRect{0, 0, target.Width(), target.Height()}));
}

// A single picture draws its vertical jitter first; placements draw the horizontal first.
void PlanSingle(FighterPlan& plan, const TBrixBitmap& target, RandomState& random, const Fighter& f,
                const std::unique_ptr<TBrixBitmap>& picture, std::int32_t dx, std::int32_t dy) {
  const std::int32_t y = JitteredY(random, f, dy);
  const std::int32_t x = JitteredX(random, f, dx);
  Add(plan, target, Surface(picture), x, y);
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

FighterPlan PlanFighter(const TBrixBitmap& target, RandomState& random, const Fighter& f) {
  FighterPlan plan;
  PlacementList list;

  // Guarding wins over attacking: a guard never shows the slash.
  if (f.guarding) {
    AppendPose(random, f, GuardPose, list);
  } else if (f.attacking) {
    PlanSingle(plan, target, random, f, f.slash, -25, -5);  // under the body
    AppendPose(random, f, AttackPose, list);
  } else {
    AppendPose(random, f, NormalPose, list);
  }

  // Every fill covers every line, so overlapping parts read as one body.
  for (std::int32_t i = 0; i < list.count; ++i) {
    const Placement& p = list.items[CheckIndex("placements", i, PlacementCapacity)];
    Add(plan, target, Surface(p.pair->outline), p.x, p.y);
  }
  for (std::int32_t i = 0; i < list.count; ++i) {
    const Placement& p = list.items[CheckIndex("placements", i, PlacementCapacity)];
    Add(plan, target, Surface(p.pair->shape), p.x, p.y);
  }

  if (f.guarding)
    PlanSingle(plan, target, random, f, f.guardFace, 0, 5);
  else
    PlanSingle(plan, target, random, f, f.face, 0, 0);
  return plan;
}

void PaintFighter(TBrixBitmap& target, const FighterPlan& plan) {
  for (std::int32_t i = 0; i < plan.count; ++i) {
    const Drawn& d = plan.items[static_cast<std::size_t>(i)];
    d.picture->DrawOnto(target, d.x, d.y);
  }
}

// Joins overlapping rectangles until none overlap: no pixel is drawn twice in a frame.
void Merge(std::vector<PixelRect>& rects) {
  std::erase_if(rects, [](const PixelRect& r) { return r.Empty(); });
  for (bool joined = true; joined;) {
    joined = false;
    for (std::size_t i = 0; i < rects.size() && !joined; ++i)
      for (std::size_t j = i + 1; j < rects.size(); ++j) {
        if (Intersection(rects[i], rects[j]).Empty()) continue;
        rects[i] = Bounds(rects[i], rects[j]);
        rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(j));
        joined = true;
        break;
      }
  }
}

bool Meets(const PixelRect& a, const PixelRect& b) { return !Intersection(a, b).Empty(); }

// The frame's layers, drawn inside `part` alone, in the order of a whole frame.
void DrawPart(TBrixBitmap& frame, const PixelRect& part, const BarsView& bars,
              const std::array<PixelRect, 3>& barsBounds, const PanelView& panel, const PixelRect& panelBounds,
              const FighterPlan& player, const FighterPlan& enemy) {
  frame.SetClip(part);
  frame.Fill(ColorWhite);
  for (std::size_t row = 0; row < bars.size(); ++row)
    if (Meets(part, barsBounds[row])) DrawStatusBarsRow(frame, bars, row);
  if (Meets(part, panelBounds)) DrawMessagePanel(frame, panel);
  if (Meets(part, player.box)) PaintFighter(frame, player);
  if (Meets(part, enemy.box)) PaintFighter(frame, enemy);  // after the player, so the enemy is on top where they meet
}

// The text settings a whole frame leaves behind (the panel's), whichever parts were drawn.
void LeaveTextSettings(TBrixBitmap& frame, const PanelView& panel) {
  frame.SetClip(PixelRect{});
  DrawMessagePanel(frame, panel);
  frame.ClearClip();
}

}  // namespace

// What the backbuffer holds from the frame before, so the next frame draws only what changed.
struct ComposeMemory {
  bool valid = false;
  // The surface as it was: another one, or other text settings, and the next frame is whole.
  const ColorTriple* pixels = nullptr;
  std::uint64_t writes = 0;  // the surface's count when the frame was done
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::string face;
  // This frame's face as it began (drawing changes the surface's), kept here rather than in a
  // local string: a local with a destructor makes every call in its scope, in the browser
  // build, a trip out to JavaScript and back.
  std::string frameFace;
  std::uint8_t style = 0;
  bool softText = false;

  PixelRect player;
  PixelRect enemy;
  BarsView bars{};
  std::array<PixelRect, 3> barsBounds{};
  PanelView panel;
  PanelView nextPanel;  // filled in place, so the lines' storage is kept from frame to frame
  PixelRect panelBounds;
  FrameDamage damage;
};

namespace {

// The check mode's second surface takes the frame's size and text settings.
void MatchWhole(TBrixBitmap& whole, const TBrixBitmap& frame) {
  whole.SetSize(frame.Width(), frame.Height());
  whole.SetFontName(frame.FontName());
  whole.SetFontStyle(frame.FontStyle());
  whole.SetSoftText(frame.SoftText());
}

// Another surface, or other text settings, since the frame before: nothing it left is known.
bool SameSurface(const ComposeMemory& was, const TBrixBitmap& frame, const std::string& face) {
  return was.valid && was.pixels == frame.Pixels().data() && was.writes == frame.Writes() &&
         was.width == frame.Width() && was.height == frame.Height() && was.face == face &&
         was.style == frame.FontStyle() && was.softText == frame.SoftText();
}

// Where this frame differs from the one before, as rectangles that do not overlap.
void FindDamage(const ComposeMemory& was, bool same, const TBrixBitmap& frame, const std::string& face,
                const BarsView& bars, const PanelView& panel, const PixelRect& panelBounds,
                const FighterPlan& player, const FighterPlan& enemy, FrameDamage& damage) {
  damage.known = true;
  damage.rects.clear();
  const PixelRect all{0, 0, frame.Width(), frame.Height()};
  if (!same) {
    damage.rects.push_back(all);
  } else {
    // The fighters tremble at every step: where each was and where each is now.
    for (const PixelRect& r : {was.player, player.box, was.enemy, enemy.box}) damage.rects.push_back(r);
    BarsDamage(frame, face, was.bars, bars, damage.rects);
    // A panel at rest is left as it is.
    if (!(panel == was.panel)) {
      damage.rects.push_back(was.panelBounds);
      damage.rects.push_back(panelBounds);
    }
    for (PixelRect& r : damage.rects) r = Intersection(r, all);
  }
  Merge(damage.rects);
}

// Every layer over the whole surface, as if nothing were known of the frame before.
void DrawWhole(TBrixBitmap& whole, const GameState& g, const PanelView& panel, const FighterPlan& player,
               const FighterPlan& enemy) {
  whole.ClearClip();
  whole.Fill(ColorWhite);
  DrawStatusBars(whole, g);
  DrawMessagePanel(whole, panel);
  PaintFighter(whole, player);
  PaintFighter(whole, enemy);
}

void Remember(ComposeMemory& was, const TBrixBitmap& frame, const std::string& face, const FighterPlan& player,
              const FighterPlan& enemy, const BarsView& bars, const std::array<PixelRect, 3>& barsBounds,
              const PixelRect& panelBounds) {
  was.valid = true;
  was.pixels = frame.Pixels().data();
  was.writes = frame.Writes();
  was.width = frame.Width();
  was.height = frame.Height();
  was.face = face;
  was.style = frame.FontStyle();
  was.softText = frame.SoftText();
  was.player = player.box;
  was.enemy = enemy.box;
  was.bars = bars;
  was.barsBounds = barsBounds;
  std::swap(was.panel, was.nextPanel);
  was.panelBounds = panelBounds;
}

}  // namespace

const FrameDamage& ComposeFrame(GameState& g, TBrixBitmap* whole) {
  static const FrameDamage nothing;
  if (!g.backbuffer) return nothing;
  TBrixBitmap& frame = *g.backbuffer;
  if (!g.composed) g.composed = std::make_shared<ComposeMemory>();
  ComposeMemory& was = *g.composed;
  was.frameFace = frame.FontName();
  const std::string& face = was.frameFace;
  if (whole) MatchWhole(*whole, frame);

  // What changes the record: the panel's lines move on, and both fighters tremble.
  AdvanceMessageLog(g.messageLog);
  FillPanelView(g.messageLog, was.nextPanel);
  const PanelView& panel = was.nextPanel;
  const FighterPlan player = PlanFighter(frame, g.random, g.player);
  const FighterPlan enemy = PlanFighter(frame, g.random, g.enemy);
  const BarsView bars = BarsViewOf(g);

  const bool same = SameSurface(was, frame, face);
  // A row's bounds hold while the row and the surface do: most steps change one row (AP).
  std::array<PixelRect, 3> barsBounds = was.barsBounds;
  for (std::size_t row = 0; row < bars.size(); ++row)
    if (!same || !(bars[row] == was.bars[row])) barsBounds[row] = BarRowBounds(frame, face, bars, row);
  const PixelRect panelBounds = same && panel == was.panel ? was.panelBounds : PanelBounds(frame, panel);
  FindDamage(was, same, frame, face, bars, panel, panelBounds, player, enemy, was.damage);

  for (const PixelRect& part : was.damage.rects)
    DrawPart(frame, part, bars, barsBounds, panel, panelBounds, player, enemy);
  LeaveTextSettings(frame, panel);
  if (whole) DrawWhole(*whole, g, panel, player, enemy);

  Remember(was, frame, face, player, enemy, bars, barsBounds, panelBounds);
  return was.damage;
}

void DrawFighter(TBrixBitmap& target, RandomState& random, const Fighter& f) {
  PaintFighter(target, PlanFighter(target, random, f));
}

}  // namespace vexa
