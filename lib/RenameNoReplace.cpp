#include "lib/RenameNoReplace.h"

#include <cerrno>

#include "lib/SystemFiles.h"

namespace vexa {

int RenameUnlessTaken(const char* from, const char* to) {
  if (KindOf(to) != FileKind::None) {
    errno = EEXIST;
    return -1;
  }
  return MoveOver(from, to);
}

}  // namespace vexa
