#pragma once
// TBrixBitmap: the game's one picture type, a 24-bit surface in blue, green, red order
// whose pixels the game reads and writes directly through the `rows` table.
// One class over several files, by part:
//   lib/BrixBmp.cpp        size, fills, drawing one onto another, key masks, clip, settings
//   lib/BrixBmpText.cpp    text: glyph stamps, the soft rim, text bounds
//   lib/BrixBmpLoad.cpp    pictures by file name: bitmap files through lib/BmpPixels
//   LoadJpeg               by each platform (see ARCHITECTURE.md: platform services)
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lib/ColorTriple.h"

namespace vexa {

struct TextStamp;  // a text's glyphs and soft rim, made once (BrixBmpText.cpp)


ColorTriple Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// Inline: pictures are compared a pixel at a time, and the browser runs a start-up's code
// unoptimised at first, where each call is a call.
inline bool SameColor(ColorTriple a, ColorTriple b) {
  return a.blue == b.blue && a.green == b.green && a.red == b.red;
}
std::uint32_t ToToolkitColor(ColorTriple c);  // red + 256*green + 65536*blue

inline constexpr ColorTriple ColorBlack{0, 0, 0};
inline constexpr ColorTriple ColorWhite{255, 255, 255};

// Font style bits.
inline constexpr std::uint8_t fsBold = 1;
inline constexpr std::uint8_t fsItalic = 2;
inline constexpr std::uint8_t fsUnderline = 4;
inline constexpr std::uint8_t fsStrikeOut = 8;

class TBrixBitmap;

// Pixels [left, right) x [top, bottom); empty when either side is not positive.
struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const PixelRect&) const = default;
};

PixelRect Intersection(const PixelRect& a, const PixelRect& b);
// The smallest rectangle holding both; an empty one adds nothing.
PixelRect Bounds(const PixelRect& a, const PixelRect& b);

// What a frame changed since the frame before it.
struct FrameDamage {
  bool known = false;            // false: anything may have changed
  std::vector<PixelRect> rects;  // when known: every changed pixel lies in one of them
};

// Where a finished frame goes: the window's paint box, or a headless sink.
class PaintBox {
 public:
  virtual ~PaintBox() = default;
  virtual void Show(const TBrixBitmap& frame, const FrameDamage& damage) = 0;
};

// Row addresses; the row index is range-checked, the column is the caller's to keep.
class TPixelTable {
 public:
  ColorTriple* operator[](std::int32_t row) const;
  std::int32_t Length() const { return static_cast<std::int32_t>(table_.size()); }
  void Assign(ColorTriple* first, std::int32_t width, std::int32_t height);

 private:
  std::vector<ColorTriple*> table_;
};

class TBrixBitmap {
 public:
  TBrixBitmap();  // 0 x 0; font "ＭＳ ゴシック" 20 bold, black text, clear brush
  ~TBrixBitmap();
  TBrixBitmap(const TBrixBitmap&) = delete;
  TBrixBitmap& operator=(const TBrixBitmap&) = delete;

  TPixelTable rows;

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  // Contiguous pixels, top row first, no padding: width * height triples.
  const std::vector<ColorTriple>& Pixels() const { return pixels_; }

  // Raises PictureError (naming the file) when the file is missing or malformed.
  void LoadPicture(const std::string& path);
  void LoadJpeg(const std::string& path);
  void SetSize(std::int32_t width, std::int32_t height);
  void Fill(ColorTriple color);
  void RebuildRows();

  // Fill, DrawOnto (onto this surface) and DrawText write only inside the clip, so a part
  // of a frame can be drawn again exactly as a whole frame would draw it there.
  void SetClip(const PixelRect& clip);
  void ClearClip() { clipped_ = false; }
  // The clip cut to the surface; the whole surface when there is none.
  PixelRect Clip() const;

  void SetFontName(const std::string& name);
  void SetFontSize(std::int32_t size);
  void SetFontStyle(std::uint8_t style);
  void SetTextColor(ColorTriple color);
  void SetClearBrush();
  void SetSoftText(bool on);
  // Text is UTF-8; its Shift-JIS byte length is what the soft edge's box estimate counts.
  void DrawText(std::int32_t x, std::int32_t y, std::string_view text);
  // Every pixel DrawText may write for this text in `face` at `size` and the current style,
  // cut to the surface.
  PixelRect TextBounds(const std::string& face, std::int32_t size, std::int32_t x, std::int32_t y,
                       std::string_view text) const;

  void MakeKeyMask(ColorTriple key);
  void DrawOnto(TBrixBitmap& target, std::int32_t x, std::int32_t y) const;
  // Counts the calls that wrote pixels (Fill, DrawText, DrawOnto onto it, loading, sizing),
  // so a drawing can tell whether the surface is still as it left it. Writes through `rows`
  // are not counted.
  std::uint64_t Writes() const { return writes_; }
  // The part of this picture DrawOnto can change in a target: with a key mask, the pixels
  // that are not the key (a picture written through `rows` after MakeKeyMask needs it
  // made again, as the mask itself does); without one, the whole picture.
  PixelRect DrawnBounds() const;
  void PresentTo(PaintBox& box) const;

  const std::string& FontName() const { return fontName_; }
  std::int32_t FontSize() const { return fontSize_; }
  std::uint8_t FontStyle() const { return fontStyle_; }
  bool SoftText() const { return softText_; }
  const TBrixBitmap* MaskSurface() const { return maskSurface_.get(); }

 private:
  // Returns the stamp it drew with, or nullptr when the text was drawn glyph by glyph.
  const TextStamp* DrawGlyphs(std::int32_t x, std::int32_t y, std::string_view text, ColorTriple color);
  // The soft edge around text just drawn: from its stamp's rim, or read off the work surface.
  void DrawSoftRim(std::int32_t x, std::int32_t y, std::string_view text, const TextStamp* stamp);
  void Resize(std::int32_t width, std::int32_t height);

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<ColorTriple> pixels_;
  std::unique_ptr<TBrixBitmap> maskSurface_;
  std::unique_ptr<TBrixBitmap> workSurface_;
  std::string fontName_;
  bool softText_ = false;
  std::int32_t fontSize_ = 0;
  ColorTriple textColor_{};
  std::uint8_t fontStyle_ = 0;
  bool clearBrush_ = false;
  bool clipped_ = false;
  PixelRect clip_;
  std::uint64_t writes_ = 0;
  bool inkKnown_ = false;  // ink_ and the runs below hold since the last MakeKeyMask
  PixelRect ink_;
  // A masked picture whose every pixel but the key is one colour (a body part's lines, or
  // its fill) is drawn as runs of that colour, reading neither the picture nor its mask.
  struct InkSpan {
    std::int32_t row;
    std::int32_t col;
    std::int32_t length;
  };
  bool oneColour_ = false;
  ColorTriple inkColour_{};
  std::vector<InkSpan> spans_;
};

}  // namespace vexa
