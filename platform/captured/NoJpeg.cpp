// Editions without libjpeg read the game's own pictures, all BMPs, through the shared loader;
// a JPEG a player names is refused in one line.
#include "lib/BrixBmp.h"
#include "lib/PictureError.h"

namespace vexa {

void TBrixBitmap::LoadJpeg(const std::string& path) {
  throw PictureError(path + ": JPEG pictures are not read by this edition");
}

}  // namespace vexa
