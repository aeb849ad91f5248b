#include <gtest/gtest.h>

#include "lib/GamePaths.h"
#include "platform/captured/CapturedText.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The game's pictures and sounds come from the source tree's dat/, its text from the glyph
  // file this build captured.
  vexa::SetDataFolder(VEXA_SOURCE_DIR);
  vexa::SetGlyphFile(VEXA_GLYPH_FILE);
  return RUN_ALL_TESTS();
}
