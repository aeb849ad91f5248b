#pragma once
// The browser's libc has no renameat2. Saying EINVAL, as a file system without the flag
// does, sends the save code down its plain-rename path, which checks for the name first.
#include <cerrno>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE 1
inline int renameat2(int, const char*, int, const char*, unsigned) {
  errno = EINVAL;
  return -1;
}
#endif
