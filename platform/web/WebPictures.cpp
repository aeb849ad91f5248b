// The browser edition reads the game's own pictures, all BMPs, through the shared loader;
// JPEG needs libjpeg, which it does not have.
#include "lib/BrixBmp.h"
#include "lib/PictureError.h"

namespace vexa {

void TBrixBitmap::LoadJpeg(const std::string& path) {
  throw PictureError(path + ": JPEG pictures are not read by the browser edition");
}

}  // namespace vexa
