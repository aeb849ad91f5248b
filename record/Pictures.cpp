#include "record/Pictures.h"

#include <algorithm>
#include <memory>

#include "lib/Checked.h"
#include "lib/GamePaths.h"

namespace vexa {

namespace {

// Body-part pictures mark their fill one step below white, so true white stays white.
constexpr ColorTriple FillMarker{254, 254, 254};
constexpr ColorTriple LineMarker = ColorBlack;

TBrixBitmap& Surface(const std::unique_ptr<TBrixBitmap>& surface) {
  if (!surface) throw VexaError("UnitPaint: a fighter picture was never created");
  return *surface;
}

void Recolor(TBrixBitmap& surface, ColorTriple from, ColorTriple to) {
  for (std::int32_t r = 0; r < surface.Height(); ++r) {
    ColorTriple* row = surface.rows[r];
    for (std::int32_t c = 0; c < surface.Width(); ++c)
      if (SameColor(row[c], from)) row[c] = to;
  }
}

}  // namespace

void CreateBackbuffer(GameState& g) {
  g.backbuffer = std::make_unique<TBrixBitmap>();
  g.composed.reset();  // the new surface holds no frame yet
  TBrixBitmap& b = *g.backbuffer;
  b.SetSize(g.clientWidth, g.clientHeight);
  b.SetFontName("ＭＳ ゴシック");
  b.SetFontStyle(fsBold);
  b.SetClearBrush();
  b.SetSoftText(true);
  g.clickLatch = false;
  g.rightHeld = false;
}

void FreeBackbuffer(GameState& g) {
  g.backbuffer.reset();
  g.composed.reset();
}

void CreateSpritePair(SpritePair& pair) {
  pair.shape = std::make_unique<TBrixBitmap>();
  pair.outline = std::make_unique<TBrixBitmap>();
}

void FreeSpritePair(SpritePair& pair) {
  pair.shape.reset();
  pair.outline.reset();
}

void LoadSpritePair(SpritePair& pair, const std::string& fileName, bool mirror, ColorTriple color) {
  TBrixBitmap& shape = Surface(pair.shape);
  TBrixBitmap& outline = Surface(pair.outline);
  {
    // The path's string ends here, before the pixel loops: a live local with a destructor
    // makes every call in its scope, in the browser build, a trip out to JavaScript and back.
    const std::string path = NativePath(fileName);
    shape.LoadPicture(path);
    outline.LoadPicture(path);
  }

  // Lines are tested first, so a fill painted black is not then taken for a line.
  for (std::int32_t r = 0; r < shape.Height(); ++r) {
    ColorTriple* row = shape.rows[r];
    for (std::int32_t c = 0; c < shape.Width(); ++c) {
      if (SameColor(row[c], LineMarker))
        row[c] = KeyColor;
      else if (SameColor(row[c], FillMarker))
        row[c] = color;
    }
  }
  Recolor(outline, FillMarker, KeyColor);

  if (mirror) {
    FlipHorizontal(shape);
    FlipHorizontal(outline);
  }
  shape.MakeKeyMask(KeyColor);
  outline.MakeKeyMask(KeyColor);
}

void FlipHorizontal(TBrixBitmap& surface) {
  const std::int32_t width = surface.Width();
  if (width == 0) return;
  for (std::int32_t r = 0; r < surface.Height(); ++r) {
    ColorTriple* row = surface.rows[r];
    std::reverse(row, row + width);  // an odd width's middle column stays put
  }
}

}  // namespace vexa
