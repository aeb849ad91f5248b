// Draws the ten stages' enemies in their three poses with the game's own painting code,
// one column per stage, into a PNG: to judge the faces and the slash on every body colour.
//
// Usage: contact_sheet SOURCE_DIR OUT.png   (reads SOURCE_DIR/dat)
#include <algorithm>
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>

#include "record/UnitData.h"
#include "lib/GamePaths.h"
#include "lib/PngFile.h"
#include "paint/UnitPaint.h"
#include "stage/UnitStage.h"

namespace {

using namespace vexa;

constexpr std::int32_t Stages = 10, Poses = 3;
constexpr std::int32_t CellW = 160, CellH = 120, LabelW = 70, LabelH = 24;
// Where the enemy stands in its cell: its body reaches about 60 pixels left of here, its
// slash 75 to the right, and its feet 70 down.
constexpr std::int32_t StandX = 85, StandY = 20;
const char* const PoseNames[Poses] = {"normal", "attack", "guard"};

void Draw(GameState& g, std::int32_t stage, std::int32_t pose) {
  const StageRow& row = StageTableRow(stage);
  SetupFighter(g, g.enemy, row.maxHp, row.attack, row.maxAp, row.exp, row.color);
  g.enemy.attacking = pose == 1;
  g.enemy.guarding = pose == 2;
  const std::int32_t left = LabelW + (stage - 1) * CellW, top = LabelH + pose * CellH;
  g.enemy.x = left + StandX;
  g.enemy.y = top + StandY;
  DrawFighter(*g.backbuffer, g.random, g.enemy);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: contact_sheet SOURCE_DIR OUT.png\n";
    return 2;
  }
  try {
    SetDataFolder(argv[1]);
    GameState g;
    g.random.seed = 1;  // the same trembles every time, so the sheet only changes with the pictures
    g.clientWidth = LabelW + Stages * CellW;
    g.clientHeight = LabelH + Poses * CellH;
    CreateBackbuffer(g);
    TBrixBitmap& sheet = *g.backbuffer;
    sheet.Fill(ColorWhite);
    CreateFighters(g);
    sheet.SetFontSize(14);
    sheet.SetTextColor(ColorBlack);
    for (std::int32_t stage = 1; stage <= Stages; ++stage)
      sheet.DrawText(LabelW + (stage - 1) * CellW + 50, 4, "Stage" + std::to_string(stage));
    for (std::int32_t pose = 0; pose < Poses; ++pose) {
      sheet.DrawText(6, LabelH + pose * CellH + CellH / 2 - 8, PoseNames[pose]);
      for (std::int32_t stage = 1; stage <= Stages; ++stage) Draw(g, stage, pose);
    }
    WritePng(argv[2], sheet);
    FreeFighters(g);
  } catch (const std::exception& e) {
    std::cerr << "contact_sheet: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
