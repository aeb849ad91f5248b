#include "lib/RenameNoReplace.h"

namespace vexa {

// Emscripten's libc has no renameat2: the name is checked first.
int RenameNoReplace(const char* from, const char* to) { return RenameUnlessTaken(from, to); }

}  // namespace vexa
