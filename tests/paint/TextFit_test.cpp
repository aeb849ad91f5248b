// Every text the message panel can show, drawn there as the game draws it, must end
// clear of the panel's right edge: what runs past it is cut off on screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PaintFixture.h"
#include "paint/MessagePanel.h"
#include "paint/StatusBars.h"
#include "record/MessageLog.h"
#include "paint/UnitPaint.h"
#include "record/Texts.h"
#include "stage/UnitStage.h"

namespace vexa {
namespace {

constexpr std::int32_t PanelRight = 600;
// Room left between the last glyph and the edge, so a line never looks cut even when it fits.
constexpr std::int32_t Margin = 8;

// Every text of a language's table as the panel can show it, each with the widest
// numbers it can carry (an upgrade message with each of the labels).
std::vector<std::string> AllTexts(Language language) {
  std::vector<std::string> texts;
  for (const TextEntry& entry : TextsOf(language)) {
    if (entry.key.starts_with("bar-")) continue;  // drawn beside the bars, not in the panel
    if (IsScriptKey(entry.key)) {
      texts.insert(texts.end(), entry.lines.begin(), entry.lines.end());
    } else if (entry.key == text::Upgraded) {
      for (std::string_view label : {text::LabelHp, text::LabelAttack, text::LabelAp})
        texts.push_back(Text(language, entry.key, {Text(language, label), "999"}));
    } else {
      texts.push_back(Text(language, entry.key, {"999", "999"}));
    }
  }
  return texts;
}

// The rightmost column the panel inked after `text` came to rest as the newest line, on a
// backbuffer wider than the panel so that an overrun stays visible; -1 when nothing drew.
std::int32_t RightmostInk(GameState& g, const std::string& text) {
  ClearMessageLog(g.messageLog);
  g.backbuffer->Fill(ColorWhite);
  AddMessage(g.messageLog, text);
  for (int frame = 0; frame < 16; ++frame) LayoutMessageLog(*g.backbuffer, g.messageLog);
  const TBrixBitmap& s = *g.backbuffer;
  for (std::int32_t x = s.Width() - 1; x >= 0; --x)
    for (std::int32_t y = 0; y < 178; ++y)
      if (!SameColor(s.rows[y][x], ColorWhite)) return x;
  return -1;
}

class TextFit : public ::testing::Test {
 protected:
  TextFit() {
    g.clientWidth = 800;
    CreateBackbuffer(g);
  }
  GameState g;
};

TEST_F(TextFit, EveryTextOfTheGameEndsClearOfThePanelEdge) {
  for (const Language language : {Language::Japanese, Language::English}) {
    const std::vector<std::string> texts = AllTexts(language);
    EXPECT_GT(texts.size(), 100u) << LanguageName(language) << ": the scripts are missing";
    for (const std::string& text : texts) {
      const std::int32_t right = RightmostInk(g, text);
      ASSERT_GT(right, 36) << "nothing drawn for " << text << ": is a font installed?";
      EXPECT_LT(right, PanelRight - Margin) << LanguageName(language) << ": " << text;
    }
  }
}

// The measure itself: a line one character too long must be caught, and the widest line
// that fits must pass.
TEST_F(TextFit, CatchesALineOneCharacterTooLong) {
  const std::string fits = "　　　　" + std::string("あいうえおかきくけこさしすせそたちつ") + "」";  // 46 bytes
  EXPECT_LT(RightmostInk(g, fits), PanelRight - Margin);
  EXPECT_GE(RightmostInk(g, fits + "」"), PanelRight - Margin);
  EXPECT_GE(RightmostInk(g, "　　　　奪わずに自分を倒してくれる、白い誰かを。」"), PanelRight);
  // Half-width letters are half as wide: 46 of them fit, 47 do not.
  const std::string letters = "    for someone white to beat it, not rob it.";  // 45
  EXPECT_LT(RightmostInk(g, letters + "\""), PanelRight - Margin);
  EXPECT_GE(RightmostInk(g, letters + "!\""), PanelRight - Margin);
}

}  // namespace
}  // namespace vexa
