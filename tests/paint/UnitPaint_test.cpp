#include "paint/UnitPaint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/PaintFixture.h"
#include "lib/GamePaths.h"
#include "paint/MessagePanel.h"
#include "paint/StatusBars.h"
#include "record/MessageLog.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace vexa {

void PrintTo(const PixelRect& r, std::ostream* os) {
  *os << "[" << r.left << "," << r.top << " .. " << r.right << "," << r.bottom << ")";
}

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using test::At;
using test::Black;
using test::Filled;
using test::Key;
using test::Put;
using test::Rgb3;
using test::White;

// ---------------------------------------------------------------------------------------
// Fighter pictures built in memory, each with transparent areas, so the drawing order of
// overlapping parts shows in the result.

// A frame of `line` around a transparent middle: what an outline leaves opaque.
std::unique_ptr<TBrixBitmap> FramePicture(std::int32_t w, std::int32_t h, const Rgb3& line) {
  auto s = Filled(w, h, Key);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      if (x == 0 || y == 0 || x == w - 1 || y == h - 1) Put(*s, x, y, line);
  s->MakeKeyMask(KeyColor);
  return s;
}

// The middle in `fill` inside a transparent frame: what a shape leaves opaque.
std::unique_ptr<TBrixBitmap> InnerPicture(std::int32_t w, std::int32_t h, const Rgb3& fill) {
  auto s = Filled(w, h, fill);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      if (x == 0 || y == 0 || x == w - 1 || y == h - 1) Put(*s, x, y, Key);
  s->MakeKeyMask(KeyColor);
  return s;
}

// Opaque except for its top-left pixel, which must stay transparent when drawn.
std::unique_ptr<TBrixBitmap> SinglePicture(std::int32_t w, std::int32_t h, const Rgb3& c) {
  auto s = Filled(w, h, c);
  Put(*s, 0, 0, Key);
  s->MakeKeyMask(KeyColor);
  return s;
}

// Each fighter gets its own colours, so the enemy's parts are told from the player's.
void GiveTestPictures(Fighter& f, bool isPlayer, int shade) {
  f.isPlayer = isPlayer;
  f.head.outline = FramePicture(40, 30, {shade, 0, 10});
  f.head.shape = InnerPicture(40, 30, {shade, 0, 20});
  f.body.outline = FramePicture(44, 36, {shade, 0, 30});
  f.body.shape = InnerPicture(44, 36, {shade, 0, 40});
  f.foot.outline = FramePicture(20, 10, {shade, 0, 50});
  f.foot.shape = InnerPicture(20, 10, {shade, 0, 60});
  f.face = SinglePicture(16, 12, {shade, 0, 70});
  f.guardFace = SinglePicture(16, 12, {shade, 0, 80});
  f.slash = SinglePicture(30, 20, {shade, 0, 90});
}

class FighterDrawing : public ::testing::Test {
 protected:
  FighterDrawing() {
    g.clientWidth = 420;
    g.clientHeight = 140;
    CreateBackbuffer(g);
    GiveTestPictures(g.player, true, 100);
    GiveTestPictures(g.enemy, false, 200);
    g.player.x = 120;
    g.player.y = 50;
    g.enemy.x = 300;
    g.enemy.y = 60;
    g.random.seed = 987654321u;
  }

  GameState g;
};

std::uint32_t SeedAfter(std::uint32_t seed, int draws) {
  RandomState r{seed};
  for (int i = 0; i < draws; ++i) Random(r, 2);
  return r.seed;
}

struct PoseDraws {
  const char* name;
  bool attacking;
  bool guarding;
  int draws;
};

class JitterDraws : public FighterDrawing, public ::testing::WithParamInterface<PoseDraws> {};

TEST_P(JitterDraws, EachPoseDrawsTwoPerPlacementAndPicture) {
  for (Fighter* f : {&g.player, &g.enemy}) {
    SCOPED_TRACE(f->isPlayer ? "player" : "enemy");
    f->attacking = GetParam().attacking;
    f->guarding = GetParam().guarding;
    const std::uint32_t before = g.random.seed;
    DrawFighter(*g.backbuffer, g.random, *f);
    EXPECT_EQ(g.random.seed, SeedAfter(before, GetParam().draws));
  }
}

INSTANTIATE_TEST_SUITE_P(Poses, JitterDraws,
                         ::testing::Values(PoseDraws{"normal", false, false, 8 * 2 + 2},
                                           PoseDraws{"attack", true, false, 2 + 7 * 2 + 2},
                                           PoseDraws{"guard", false, true, 4 * 2 + 2},
                                           PoseDraws{"guardWinsOverAttack", true, true, 4 * 2 + 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// Hand-picked pixels of each pose, far enough inside their parts that the one-pixel tremble
// cannot move them: the player (x 120, y 50) draws rightward, the enemy (x 300, y 60) is
// mirrored one picture width (64) to the left. The face lies over the head; the slash shows
// only in an attack; the near foot stands only in the normal pose.
struct PosePixel {
  const char* name;
  bool isPlayer;
  bool attacking;
  bool guarding;
  std::int32_t x, y;
  Rgb3 expected;
};

class PosePixels : public FighterDrawing, public ::testing::WithParamInterface<PosePixel> {};

TEST_P(PosePixels, ShowTheRightPartOnTop) {
  const PosePixel& c = GetParam();
  Fighter& f = c.isPlayer ? g.player : g.enemy;
  f.attacking = c.attacking;
  f.guarding = c.guarding;
  DrawFighter(*g.backbuffer, g.random, f);
  EXPECT_EQ(At(*g.backbuffer, c.x, c.y), c.expected);
}

constexpr Rgb3 PlayerFace{100, 0, 70}, PlayerGuardFace{100, 0, 80}, PlayerSlash{100, 0, 90}, PlayerFoot{100, 0, 60};
constexpr Rgb3 EnemyFace{200, 0, 70}, EnemyGuardFace{200, 0, 80}, EnemySlash{200, 0, 90}, EnemyFoot{200, 0, 60};

INSTANTIATE_TEST_SUITE_P(
    Poses, PosePixels,
    ::testing::Values(PosePixel{"playerNormalFace", true, false, false, 128, 56, PlayerFace},
                      PosePixel{"playerNormalNearFoot", true, false, false, 130, 95, PlayerFoot},
                      PosePixel{"playerNormalNoSlash", true, false, false, 100, 55, White},
                      PosePixel{"playerAttackFace", true, true, false, 128, 56, PlayerFace},
                      PosePixel{"playerAttackSlash", true, true, false, 100, 55, PlayerSlash},
                      PosePixel{"playerAttackNoNearFoot", true, true, false, 130, 95, White},
                      PosePixel{"playerGuardFaceLower", true, false, true, 128, 61, PlayerGuardFace},
                      PosePixel{"playerGuardNoSlash", true, false, true, 100, 55, White},
                      PosePixel{"playerGuardNoNearFoot", true, false, true, 130, 95, White},
                      PosePixel{"playerBothFlagsGuard", true, true, true, 128, 61, PlayerGuardFace},
                      PosePixel{"playerBothFlagsNoSlash", true, true, true, 100, 55, White},
                      PosePixel{"enemyNormalFace", false, false, false, 243, 66, EnemyFace},
                      PosePixel{"enemyNormalNearFoot", false, false, false, 240, 105, EnemyFoot},
                      PosePixel{"enemyNormalNoSlash", false, false, false, 280, 62, White},
                      PosePixel{"enemyAttackSlash", false, true, false, 280, 62, EnemySlash},
                      PosePixel{"enemyAttackNoNearFoot", false, true, false, 240, 105, White},
                      PosePixel{"enemyGuardFaceLower", false, false, true, 243, 71, EnemyGuardFace},
                      PosePixel{"enemyBothFlagsNoSlash", false, true, true, 280, 62, White}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FighterDrawing, GuardPoseShowsNoSlashEvenWhileAttacking) {
  g.player.attacking = true;
  g.player.guarding = true;
  DrawFighter(*g.backbuffer, g.random, g.player);
  int slash = 0, guardFace = 0, face = 0;
  for (std::int32_t y = 0; y < g.clientHeight; ++y)
    for (std::int32_t x = 0; x < g.clientWidth; ++x) {
      const Rgb3 p = At(*g.backbuffer, x, y);
      slash += p == Rgb3{100, 0, 90};
      guardFace += p == Rgb3{100, 0, 80};
      face += p == Rgb3{100, 0, 70};
    }
  EXPECT_EQ(slash, 0);
  EXPECT_EQ(face, 0);
  EXPECT_EQ(guardFace, 16 * 12 - 1);
}

TEST_F(FighterDrawing, PartsPastTheEdgeAreCutOffNotWrapped) {
  g.player.x = g.clientWidth - 10;  // the far feet hang over the right edge
  g.player.y = g.clientHeight - 20;  // and the feet over the bottom
  DrawFighter(*g.backbuffer, g.random, g.player);
  // A wrap would land in the leftmost columns or the top rows.
  for (std::int32_t y = 0; y < g.clientHeight; ++y)
    for (std::int32_t x = 0; x < 40; ++x) ASSERT_EQ(At(*g.backbuffer, x, y), White) << x << "," << y;
  for (std::int32_t x = 0; x < g.clientWidth; ++x) ASSERT_EQ(At(*g.backbuffer, x, 0), White) << x;
}

// ---------------------------------------------------------------------------------------

TEST(Backbuffer, IsCreatedAtTheClientSizeWithTheGameFontAndLatchesCleared) {
  GameState g;
  g.clientWidth = 600;
  g.clientHeight = 450;
  g.clickLatch = true;
  g.rightHeld = true;
  CreateBackbuffer(g);
  ASSERT_NE(g.backbuffer, nullptr);
  const TBrixBitmap& b = *g.backbuffer;
  EXPECT_EQ(b.Width(), 600);
  EXPECT_EQ(b.Height(), 450);
  EXPECT_EQ(b.rows.Length(), 450);
  EXPECT_EQ(test::InkIn(b, 0, 450), 0);
  EXPECT_EQ(b.FontName(), "ＭＳ ゴシック");
  EXPECT_EQ(b.FontStyle(), fsBold);
  EXPECT_TRUE(b.SoftText());
  EXPECT_FALSE(g.clickLatch);
  EXPECT_FALSE(g.rightHeld);
  FreeBackbuffer(g);
  EXPECT_EQ(g.backbuffer, nullptr);
}

TEST(ComposeFrame, WithoutABackbufferNothingHappens) {
  GameState g;
  g.random.seed = 77;
  ClearMessageLog(g.messageLog);
  ComposeFrame(g);
  EXPECT_EQ(g.random.seed, 77u);
  EXPECT_EQ(g.messageLog.scroll, 1);  // no layout decayed it
  EXPECT_FALSE(g.messageLog.laidOut);
}

class Frame : public ::testing::Test {
 protected:
  Frame() {
    CreateBackbuffer(g);
    GiveTestPictures(g.player, true, 100);
    GiveTestPictures(g.enemy, false, 200);
    ClearMessageLog(g.messageLog);
  }
  GameState g;
};

TEST_F(Frame, StartsBlankAndLaysOut) {
  g.backbuffer->Fill(Rgb(1, 2, 3));  // last frame's leftovers
  g.player.x = 400;
  g.player.y = 250;
  g.enemy.x = 200;
  g.enemy.y = 250;
  g.random.seed = 5;
  ComposeFrame(g);

  EXPECT_EQ(At(*g.backbuffer, 599, 449), White);
  EXPECT_EQ(At(*g.backbuffer, 5, 250), White);
  EXPECT_TRUE(g.messageLog.laidOut);
  EXPECT_EQ(g.messageLog.scroll, 0);
  EXPECT_EQ(g.random.seed, SeedAfter(5, 18 + 18));  // two normal poses
}

TEST_F(Frame, FightersCoverTheBarsAndTheEnemyCoversThePlayer) {
  g.battleOn = true;
  g.player.maxHp = g.player.hp = 250;
  g.enemy.maxHp = g.enemy.hp = 250;
  // Both bodies on the HP bars, the enemy's body over the player's.
  g.player.x = 200;
  g.player.y = 360;
  g.enemy.x = 320;
  g.enemy.y = 360;
  ComposeFrame(g);
  // Row 392 is below both heads and clear of the feet; the player's body middle spans
  // columns 238..278 whatever the jitter, the enemy's 221..261.
  EXPECT_EQ(At(*g.backbuffer, 270, 392), (Rgb3{100, 0, 40}));  // player's body over the enemy's bar
  EXPECT_EQ(At(*g.backbuffer, 250, 392), (Rgb3{200, 0, 40}));  // enemy's body over the player's
}

// Frames drawn from what changed, each compared with the same frame drawn whole.
class Redraw : public Frame {
 protected:
  Redraw() {
    g.battleOn = true;
    for (Fighter* f : {&g.player, &g.enemy}) {
      f->maxHp = f->hp = 120;
      f->attack = 7;
      f->maxAp = f->ap = 150;
      f->y = 250;
    }
    g.player.x = 420;
    g.enemy.x = 180;
  }
  // Composes one frame, checks it against a whole one, and returns its damage.
  std::vector<PixelRect> Compose() {
    const FrameDamage& damage = ComposeFrame(g, &whole);
    EXPECT_TRUE(damage.known);
    EXPECT_EQ(test::FirstDifference(*g.backbuffer, whole), "");
    return damage.rects;
  }
  void SettleThePanel() {
    for (int i = 0; i < 20; ++i) Compose();
  }
  static bool AnyMeets(const std::vector<PixelRect>& rects, const PixelRect& area) {
    return std::any_of(rects.begin(), rects.end(), [&](const PixelRect& r) { return !Intersection(r, area).Empty(); });
  }
  static constexpr PixelRect Panel{0, 0, 600, 178};
  static constexpr PixelRect HpRow{0, 380, 600, 400};
  static constexpr PixelRect ApRow{0, 420, 600, 440};
  TBrixBitmap whole;
};

TEST_F(Redraw, TheFirstFrameAFreshBackbufferAndOneDrawnOnInBetweenAreDrawnWhole) {
  EXPECT_THAT(Compose(), ElementsAre(PixelRect{0, 0, 600, 450}));
  EXPECT_THAT(Compose(), Not(Contains(PixelRect{0, 0, 600, 450})));
  CreateBackbuffer(g);
  EXPECT_THAT(Compose(), ElementsAre(PixelRect{0, 0, 600, 450}));
  g.backbuffer->Fill(Rgb(1, 2, 3));  // not the drawing's doing: it cannot know what changed
  EXPECT_THAT(Compose(), ElementsAre(PixelRect{0, 0, 600, 450}));
  EXPECT_THAT(Compose(), Not(Contains(PixelRect{0, 0, 600, 450})));
}

TEST_F(Redraw, AnIdleFrameRedrawsTheTremblingFightersAlone) {
  SettleThePanel();
  const std::vector<PixelRect> rects = Compose();
  ASSERT_FALSE(rects.empty());
  EXPECT_FALSE(AnyMeets(rects, Panel));
  EXPECT_FALSE(AnyMeets(rects, PixelRect{0, 370, 600, 450}));
  for (const PixelRect& r : rects) EXPECT_EQ(Intersection(r, PixelRect{0, 245, 600, 340}), r);  // the fighters' rows
}

TEST_F(Redraw, AChangedNumberRedrawsItsOwnRowOnly) {
  SettleThePanel();
  g.player.ap = 130;
  g.enemy.ap = 151;  // past its maximum: the bar stays full, the number changes
  std::vector<PixelRect> rects = Compose();
  EXPECT_TRUE(AnyMeets(rects, PixelRect{325 + 130, 420, 325 + 150, 440}));  // the bar's emptied end
  EXPECT_TRUE(AnyMeets(rects, PixelRect{240, 422, 275, 440}));               // the enemy's number
  EXPECT_FALSE(AnyMeets(rects, HpRow));
  EXPECT_FALSE(AnyMeets(rects, Panel));
  for (const PixelRect& r : rects)  // the AP row, or the trembling fighters
    EXPECT_TRUE(Intersection(r, ApRow) == r || Intersection(r, PixelRect{0, 245, 600, 340}) == r);
  g.battleOn = false;  // the enemy's side goes
  rects = Compose();
  EXPECT_TRUE(AnyMeets(rects, PixelRect{126, 420, 276, 440}));
  EXPECT_TRUE(AnyMeets(rects, PixelRect{126, 380, 276, 400}));
  Compose();
}

TEST_F(Redraw, ThePanelIsRedrawnWhileItMovesAndLeftAloneAtRest) {
  SettleThePanel();
  AddMessage(g.messageLog, "ヒット！");
  EXPECT_TRUE(AnyMeets(Compose(), Panel));
  int moving = 1;
  while (AnyMeets(Compose(), Panel)) ASSERT_LT(++moving, 20);
  EXPECT_EQ(g.messageLog.scroll, 0);
  EXPECT_FALSE(AnyMeets(Compose(), Panel));
}

// A fighter knocked far, a pose changed, pictures replaced: wherever it was and is now.
TEST_F(Redraw, FightersThatJumpOrChangeArePaintedOutAndIn) {
  SettleThePanel();
  g.enemy.x = 40;
  g.player.attacking = true;
  Compose();
  g.player.attacking = false;
  g.player.guarding = true;
  g.enemy.y = 150;  // over the panel's lower band
  Compose();
  GiveTestPictures(g.enemy, false, 90);
  g.player.x = 700;  // off the frame
  Compose();
  Compose();
}

// ---------------------------------------------------------------------------------------

TEST(FlipHorizontal, OddWidthKeepsItsMiddleColumn) {
  auto s = Filled(3, 2, White);
  Put(*s, 0, 0, {1, 0, 0});
  Put(*s, 1, 0, {2, 0, 0});
  Put(*s, 2, 0, {3, 0, 0});
  Put(*s, 0, 1, {4, 0, 0});
  Put(*s, 1, 1, {5, 0, 0});
  Put(*s, 2, 1, {6, 0, 0});
  FlipHorizontal(*s);
  EXPECT_EQ(At(*s, 0, 0), (Rgb3{3, 0, 0}));
  EXPECT_EQ(At(*s, 1, 0), (Rgb3{2, 0, 0}));
  EXPECT_EQ(At(*s, 2, 0), (Rgb3{1, 0, 0}));
  EXPECT_EQ(At(*s, 0, 1), (Rgb3{6, 0, 0}));
  EXPECT_EQ(At(*s, 1, 1), (Rgb3{5, 0, 0}));
  EXPECT_EQ(At(*s, 2, 1), (Rgb3{4, 0, 0}));
}

TEST(FlipHorizontal, TwiceGivesThePictureBackAndOnceMovesEveryPixel) {
  for (std::int32_t w : {1, 2, 4, 7}) {
    SCOPED_TRACE(w);
    auto s = Filled(w, 3, White);
    for (std::int32_t y = 0; y < 3; ++y)
      for (std::int32_t x = 0; x < w; ++x) Put(*s, x, y, {x, y, x * 7 + y});
    const std::vector<ColorTriple> original = s->Pixels();
    FlipHorizontal(*s);
    for (std::int32_t y = 0; y < 3; ++y)
      for (std::int32_t x = 0; x < w; ++x) ASSERT_EQ(At(*s, x, y), (Rgb3{w - 1 - x, y, (w - 1 - x) * 7 + y}));
    FlipHorizontal(*s);
    EXPECT_TRUE(test::SamePixels(s->Pixels(), original));
  }
}

TEST(FlipHorizontal, EmptySurfacesAreLeftAlone) {
  for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 3}, std::pair{5, 0}}) {
    TBrixBitmap s;
    s.SetSize(w, h);
    EXPECT_NO_THROW(FlipHorizontal(s));
    EXPECT_EQ(s.Width(), w);
    EXPECT_EQ(s.Height(), h);
  }
}

// ---------------------------------------------------------------------------------------
// LoadSpritePair on a 5 x 2 picture holding every kind of pixel, written as a 24-bit
// bitmap file under a temporary data folder and named the way the game names files.

std::string Le32(std::uint32_t v) {
  return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
}
std::string Le16(std::uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; }

// Rows top first, colours red, green, blue.
std::string Bmp24(const std::vector<std::vector<Rgb3>>& rows) {
  const auto h = static_cast<std::uint32_t>(rows.size());
  const auto w = static_cast<std::uint32_t>(rows[0].size());
  const std::uint32_t stride = (w * 3 + 3) / 4 * 4;
  std::string pixels;
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {  // bottom-up
    std::string line;
    for (const Rgb3& c : *row) line += {static_cast<char>(c[2]), static_cast<char>(c[1]), static_cast<char>(c[0])};
    line.resize(stride, '\0');
    pixels += line;
  }
  std::string file = "BM" + Le32(54 + static_cast<std::uint32_t>(pixels.size())) + Le32(0) + Le32(54);
  file += Le32(40) + Le32(w) + Le32(h) + Le16(1) + Le16(24) + Le32(0) + Le32(static_cast<std::uint32_t>(pixels.size())) +
          Le32(2835) + Le32(2835) + Le32(0) + Le32(0);
  return file + pixels;
}

constexpr Rgb3 Fill{254, 254, 254};
constexpr Rgb3 OtherA{10, 20, 30};
constexpr Rgb3 OtherB{200, 100, 50};
constexpr Rgb3 Ground{9, 9, 9};  // what shows through a transparent pixel

class SpritePairLoad : public ::testing::Test {
 protected:
  SpritePairLoad() {
    std::filesystem::create_directory(folder.Path() / "dat");
    test::WriteFile((folder.Path() / "dat" / "part.bmp").string(),
                    Bmp24({{Black, Fill, White, Key, OtherA}, {Fill, Fill, Black, OtherB, White}}));
    SetDataFolder(folder.Path().string());
    CreateSpritePair(pair);
  }
  ~SpritePairLoad() override { SetDataFolder(VEXA_SOURCE_DIR); }

  // The surface as it shows when drawn over `Ground`.
  static std::vector<std::vector<Rgb3>> Shown(const TBrixBitmap& s) {
    auto target = Filled(s.Width(), s.Height(), Ground);
    s.DrawOnto(*target, 0, 0);
    std::vector<std::vector<Rgb3>> out;
    for (std::int32_t y = 0; y < s.Height(); ++y) {
      out.emplace_back();
      for (std::int32_t x = 0; x < s.Width(); ++x) out.back().push_back(At(*target, x, y));
    }
    return out;
  }
  static std::vector<std::vector<Rgb3>> Mirrored(std::vector<std::vector<Rgb3>> rows) {
    for (auto& row : rows) std::reverse(row.begin(), row.end());
    return rows;
  }

  test::TempFolder folder;
  SpritePair pair;
};

struct RecolourCase {
  const char* name;
  bool mirror;
  Rgb3 color;
  std::vector<std::vector<Rgb3>> shape;  // unmirrored, as shown over Ground
};

class Recolouring : public SpritePairLoad, public ::testing::WithParamInterface<RecolourCase> {};

TEST_P(Recolouring, ShapeKeepsTheFillAndOutlineKeepsTheLines) {
  const RecolourCase& c = GetParam();
  LoadSpritePair(pair, "dat\\part.bmp", c.mirror, test::FromRgb(c.color));
  const std::vector<std::vector<Rgb3>> outline{{Black, Ground, White, Ground, OtherA},
                                               {Ground, Ground, Black, OtherB, White}};
  EXPECT_EQ(Shown(*pair.shape), c.mirror ? Mirrored(c.shape) : c.shape);
  EXPECT_EQ(Shown(*pair.outline), c.mirror ? Mirrored(outline) : outline);
}

constexpr Rgb3 Blue{0, 128, 255};
INSTANTIATE_TEST_SUITE_P(
    Colours, Recolouring,
    ::testing::Values(
        RecolourCase{"coloured", false, Blue, {{Ground, Blue, White, Ground, OtherA}, {Blue, Blue, Ground, OtherB, White}}},
        RecolourCase{"mirrored", true, Blue, {{Ground, Blue, White, Ground, OtherA}, {Blue, Blue, Ground, OtherB, White}}},
        // The player's white body: the fill matches the background.
        RecolourCase{"white", false, White, {{Ground, White, White, Ground, OtherA}, {White, White, Ground, OtherB, White}}},
        // A body in the key colour loses its fill to transparency.
        RecolourCase{"keyColour", false, Key, {{Ground, Ground, White, Ground, OtherA}, {Ground, Ground, Ground, OtherB, White}}},
        // A black body is not mistaken for lines: the fill stays.
        RecolourCase{"black", false, Black, {{Ground, Black, White, Ground, OtherA}, {Black, Black, Ground, OtherB, White}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpritePairLoad, ReloadingReplacesPictureColourAndMask) {
  LoadSpritePair(pair, "dat\\part.bmp", true, Rgb(1, 2, 3));
  LoadSpritePair(pair, "dat\\part.bmp", false, test::FromRgb(Blue));
  const std::vector<std::vector<Rgb3>> shape{{Ground, Blue, White, Ground, OtherA}, {Blue, Blue, Ground, OtherB, White}};
  EXPECT_EQ(Shown(*pair.shape), shape);
}

TEST_F(SpritePairLoad, AMissingPictureFailsAndFreeingEmptiesThePair) {
  EXPECT_ANY_THROW(LoadSpritePair(pair, "dat\\missing.bmp", false, test::FromRgb(Blue)));
  FreeSpritePair(pair);
  EXPECT_EQ(pair.shape, nullptr);
  EXPECT_EQ(pair.outline, nullptr);
}

}  // namespace
}  // namespace vexa
