#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "lib/Checked.h"
#include "paint/MessagePanel.h"
#include "record/MessageLog.h"

namespace vexa {

namespace {

// The panel: columns 0..599, rows 0..177 of the backbuffer.
constexpr std::int32_t PanelRight = ClientWidth;
constexpr std::int32_t PanelBottom = 178;

constexpr std::int32_t LineX = 36;
constexpr std::int32_t LineFontSize = 22;
// Text area (106) + one gradient (6) + font size (22) - 1: a line whose top would sit
// above row 15 can no longer show.
constexpr std::int32_t KeepSlack = 133;
// Where a line one pitch below the newest resting line has its top.
constexpr std::int32_t BelowNewest = 148;

// One string for every frame, not a temporary for each call that names the face.
const std::string& PanelFace() {
  static const std::string face = "ＭＳ ゴシック";
  return face;
}
constexpr ColorTriple OlderLineColor{127, 127, 127};
constexpr ColorTriple FreshLineColor = ColorBlack;

// White is all bytes 255, so a row clears with one memset. Columns from 0 to `right`,
// within the surface's clip.
void FillWhite(TBrixBitmap& s, std::int32_t top, std::int32_t bottom, std::int32_t right) {
  const PixelRect clip = s.Clip();
  top = std::max(top, clip.top);
  bottom = std::min(bottom, clip.bottom);
  right = std::min(right, clip.right);
  const std::int32_t left = clip.left;
  if (right <= left) return;
  for (std::int32_t r = top; r < bottom; ++r)
    std::memset(static_cast<void*>(s.rows[r] + left), 255, static_cast<std::size_t>(right - left) * sizeof(ColorTriple));
}

// The gradient's channel values, one table per weight: a lookup per byte instead of a
// division per byte on every frame. The panel's bands use weights 0 to 5.
using FadeTable = std::array<std::uint8_t, 256>;
FadeTable MakeFadeTable(std::int32_t b) {
  FadeTable t{};
  for (std::int64_t c = 0; c < 256; ++c)
    t[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>((c * b + 255) / (std::int64_t{b} + 1));
  return t;
}
constexpr std::int32_t PanelWeights = 6;
const std::array<FadeTable, PanelWeights>& PanelFades() {
  static const std::array<FadeTable, PanelWeights> tables = [] {
    std::array<FadeTable, PanelWeights> all{};
    for (std::int32_t w = 0; w < PanelWeights; ++w) all[static_cast<std::size_t>(w)] = MakeFadeTable(w);
    return all;
  }();
  return tables;
}

// Drops the oldest lines so only those that can still show stay.
void TrimLog(MessageLog& log, std::int32_t keep) {
  if (keep >= log.count) return;  // nothing to drop; a log is never padded
  const std::int32_t dropped = chk::Sub(log.count, keep);
  for (std::int32_t i = 0; i < keep; ++i)
    log.lines[CheckIndex("lines", i, LogCapacity)] =
        std::move(log.lines[CheckIndex("lines", chk::Add(dropped, i), LogCapacity)]);
  for (std::int32_t i = keep; i < log.count; ++i) log.lines[CheckIndex("lines", i, LogCapacity)].clear();
  log.count = keep;
}

}  // namespace

void LayoutMessageLog(TBrixBitmap& s, MessageLog& log) {
  AdvanceMessageLog(log);
  FillWhite(s, 0, PanelBottom, PanelRight);
  PanelView view;
  FillPanelView(log, view);
  DrawMessagePanel(s, view);
}

void AdvanceMessageLog(MessageLog& log) {
  log.scroll = chk::Div(chk::Mul(log.scroll, 3), 4);
  const std::int32_t keep = chk::Div(chk::Add(log.scroll, KeepSlack), LinePitch);
  TrimLog(log, keep);
  log.laidOut = true;
}

void FillPanelView(const MessageLog& log, PanelView& v) {
  v.shown = log.scroll > 6 ? 5 : 4;
  v.older = chk::Sub(log.count, log.freshCount);
  v.top = chk::Sub(chk::Add(BelowNewest, log.scroll), chk::Mul(LinePitch, log.count));
  for (std::int32_t j = 0; j < v.shown; ++j)
    v.lines[static_cast<std::size_t>(j)] = log.lines[CheckIndex("lines", j, LogCapacity)];
  for (std::int32_t j = v.shown; j < static_cast<std::int32_t>(v.lines.size()); ++j)
    v.lines[static_cast<std::size_t>(j)].clear();
}

void DrawMessagePanel(TBrixBitmap& s, const PanelView& v) {
  s.SetFontName(PanelFace());
  s.SetFontSize(LineFontSize);
  for (std::int32_t j = 0; j < v.shown; ++j) {
    s.SetTextColor(j < v.older ? OlderLineColor : FreshLineColor);
    s.DrawText(LineX, chk::Add(v.top, chk::Mul(LinePitch, j)), v.lines[static_cast<std::size_t>(j)]);
  }
  FadeBand(s, 0, 29, 30, 35, true);
  FadeBand(s, 148, 177, 142, 147, false);
}

PixelRect PanelBounds(const TBrixBitmap& s, const PanelView& v) {
  PixelRect bounds = Intersection(PixelRect{0, 0, PanelRight, PanelBottom}, PixelRect{0, 0, s.Width(), s.Height()});
  for (std::int32_t j = 0; j < v.shown; ++j)
    bounds = Bounds(bounds, s.TextBounds(PanelFace(), LineFontSize, LineX, chk::Add(v.top, chk::Mul(LinePitch, j)),
                                         v.lines[static_cast<std::size_t>(j)]));
  return bounds;
}

void FadeBand(TBrixBitmap& surface, std::int32_t blankTop, std::int32_t blankBottom, std::int32_t gradTop,
              std::int32_t gradBottom, bool weightRisesDownward) {
  FillWhite(surface, blankTop, chk::Add(blankBottom, 1), PanelRight);
  const PixelRect clip = surface.Clip();
  const std::int32_t left = clip.left;
  const std::int32_t right = std::min(PanelRight, clip.right);
  if (right <= left) return;
  for (std::int32_t r = std::max(gradTop, clip.top); r <= gradBottom && r < clip.bottom; ++r) {
    // Weight 0 is the row next to the blank band: fully white there.
    const std::int32_t b = weightRisesDownward ? chk::Sub(r, gradTop) : chk::Sub(gradBottom, r);
    const FadeTable fade = b < PanelWeights ? PanelFades()[static_cast<std::size_t>(b)] : MakeFadeTable(b);
    // Every channel fades alike, so the row is walked as plain bytes.
    auto* bytes = reinterpret_cast<std::uint8_t*>(surface.rows[r] + left);
    const std::size_t n = static_cast<std::size_t>(right - left) * sizeof(ColorTriple);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = fade[bytes[i]];
  }
}

}  // namespace vexa
