#include <gtest/gtest.h>

#include "lib/GamePaths.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The game's pictures and sounds come from the source tree's dat/.
  vexa::SetDataFolder(VEXA_SOURCE_DIR);
  return RUN_ALL_TESTS();
}
