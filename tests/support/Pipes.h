#pragma once
// A pipe in place of a file the game opens: a call that waited for someone at the other end
// would hang the whole test program, so the wait is reported and then ended from here.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace vexa::test {

// True when `call` returned within two seconds; it should not wait at all. Otherwise the pipe
// at `fifo` is opened at both ends for a moment, which lets a blocked open go on and end.
inline bool ReturnsWithoutWaitingOn(const std::string& fifo, const std::function<void()>& call) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    call();
    done = true;
  });
  for (int i = 0; i < 200 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const bool prompt = done;
  if (!prompt) {
    ::signal(SIGPIPE, SIG_IGN);  // a released writer may find this end already closed
    const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (fd >= 0) ::close(fd);
  }
  worker.join();
  return prompt;
}

}  // namespace vexa::test
