// Any bytes as a picture (PICTURE_SUFFIX picks the loader): a clean refusal or a
// well-formed surface, nothing else.
#include <cstdlib>

#include "FuzzFile.h"
#include "lib/BrixBmp.h"
#include "lib/PictureError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteInput(PICTURE_SUFFIX, data, size);
  vexa::TBrixBitmap surface;
  try {
    surface.LoadPicture(path);
  } catch (const vexa::PictureError&) {
    return 0;
  }
  if (surface.rows.Length() != surface.Height() ||
      surface.Pixels().size() != static_cast<std::size_t>(surface.Width()) * surface.Height())
    std::abort();
  return 0;
}
