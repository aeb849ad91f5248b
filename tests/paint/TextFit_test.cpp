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
#include "stage/UnitStage.h"

namespace vexa {
namespace {

constexpr std::int32_t PanelRight = 600;
// Room left between the last glyph and the edge, so a line never looks cut even when it fits.
constexpr std::int32_t Margin = 8;

// The game's own messages, each with the widest numbers it can carry.
std::vector<std::string> SystemMessages() {
  std::vector<std::string> texts{
      "⇒【セーブ】しますか？", "⇒【修行】しますか？", "⇒【前進】しますか？",
      "セーブしました。",      "セーブ出来ませんでした。", "これ以上は増やせません。",
      "EXPが足りません。",     "やっつけたーっ！",        "Exp999ポイントゲット！",
      "やられたーっ！",        "ヒット！",                "ステージ10にいます。",
      "やり直すにはあと10回クリックしてください。",
  };
  for (const char* stat : {"ＨＰ", "攻撃", "ＡＰ"}) {
    texts.push_back(std::string("⇒【") + stat + "強化】しますか？（残りExp：999）");
    texts.push_back(std::string(stat) + "がアップした！（残りExp：999）");
  }
  return texts;
}

std::vector<std::string> AllTexts() {
  std::vector<std::string> texts = SystemMessages();
  for (std::int32_t stage = 1; stage <= 10; ++stage)
    for (const char* line : StageScriptLines(stage)) texts.emplace_back(line);
  for (const char* line : EndingScriptLines()) texts.emplace_back(line);
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
  for (const std::string& text : AllTexts()) {
    const std::int32_t right = RightmostInk(g, text);
    ASSERT_GT(right, 36) << "nothing drawn for " << text << ": is a font installed?";
    EXPECT_LT(right, PanelRight - Margin) << text;
  }
}

// The measure itself: a line one character too long must be caught, and the widest line
// that fits must pass.
TEST_F(TextFit, CatchesALineOneCharacterTooLong) {
  const std::string fits = "　　　　" + std::string("あいうえおかきくけこさしすせそたちつ") + "」";  // 46 bytes
  EXPECT_LT(RightmostInk(g, fits), PanelRight - Margin);
  EXPECT_GE(RightmostInk(g, fits + "」"), PanelRight - Margin);
  EXPECT_GE(RightmostInk(g, "　　　　奪わずに自分を倒してくれる、白い誰かを。」"), PanelRight);
}

}  // namespace
}  // namespace vexa
