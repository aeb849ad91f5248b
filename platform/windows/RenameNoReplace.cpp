#include "lib/RenameNoReplace.h"

#include <windows.h>

#include <cerrno>

#include "platform/windows/WideText.h"

namespace vexa {

// Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken: atomic, as
// renameat2's flag is.
int RenameNoReplace(const char* from, const char* to) {
  if (MoveFileExW(WideOf(from).c_str(), WideOf(to).c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
  const DWORD error = GetLastError();
  errno = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? EEXIST : EACCES;
  return -1;
}

}  // namespace vexa
