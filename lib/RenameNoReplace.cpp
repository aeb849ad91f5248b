#include "lib/RenameNoReplace.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

namespace vexa {

int RenameUnlessTaken(const char* from, const char* to) {
  struct stat taken {};
  if (::lstat(to, &taken) == 0) {
    errno = EEXIST;
    return -1;
  }
  return std::rename(from, to);
}

}  // namespace vexa
