#include "lib/RenameNoReplace.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>

namespace vexa {

int RenameNoReplace(const char* from, const char* to) {
  const int moved = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
  if (moved != 0 && errno == EINVAL) return RenameUnlessTaken(from, to);  // a file system without the flag
  return moved;
}

}  // namespace vexa
