#include "platform/sdl/QuietStderr.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace vexa {

QuietStderr::QuietStderr() {
  std::fflush(stderr);
  const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (nowhere < 0) return;
  saved_ = dup(STDERR_FILENO);
  if (saved_ >= 0) dup2(nowhere, STDERR_FILENO);
  close(nowhere);
}

QuietStderr::~QuietStderr() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  dup2(saved_, STDERR_FILENO);
  close(saved_);
}

}  // namespace vexa
