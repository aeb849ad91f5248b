#pragma once
// The program's heartbeat: a list of periodic procedures and the loop that calls them,
// run on the main thread once the window is shown.
#include <cstdint>
#include <functional>
#include <string>

namespace vexa {

// What the loop needs from the platform; tests drive a fake one.
class TimerHost {
 public:
  virtual ~TimerHost() = default;
  // Millisecond clock, 0..2^31-1 (it may wrap to 0; the loop copes).
  virtual std::int32_t Now() = 0;
  // Handles every pending window event without blocking.
  virtual void DispatchEvents() = 0;
  // True once the window was closed (the loop ends before its next pass).
  virtual bool Terminated() = 0;
  // Sleeps until a window event arrives or `maxMs` milliseconds have passed.
  virtual void Wait(std::int32_t maxMs) = 0;
};

struct TBrixThread {
  std::string name;
  std::function<void()> proc;
  std::int32_t interval = 0;
  std::int32_t lastTime = 0;
  bool removed = false;
};

struct TBrixTimer {
  static void SetHost(TimerHost* host);
  static void Start();
  static void Add(std::function<void()> proc, std::int32_t interval, std::string name);
  // Marks the entries of that name removed; the loop drops them at its next sweep.
  static void Remove(const std::string& name);
  static void Clear();
  static void RunLoop();
  // One pass of the loop without its waiting, for a host that cannot block (the page): drops
  // removed entries, calls each due entry once, and returns the milliseconds until the next
  // falls due.
  static std::int32_t RunPass();
  static void Sweep();
  static std::int32_t EntryCount();
  static TBrixThread& Entry(std::int32_t index);  // for tests (e.g. to mark `removed`)
};

}  // namespace vexa
