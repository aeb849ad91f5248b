#include "lib/BrixTimer.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "lib/Checked.h"

namespace vexa {

namespace {

std::vector<TBrixThread> entries;
TimerHost* host = nullptr;

// Clock readings live in 0..2^31-1; masking keeps a wrapped reading in range.
constexpr std::uint32_t clockMask = 0x7FFFFFFF;

// Longest sleep with nothing due, so a pass still comes round now and then.
constexpr std::int32_t idleWaitMs = 1000;

// Without a window (tests, replays) entries still need a registration time.
std::int32_t FallbackNow() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  return static_cast<std::int32_t>(static_cast<std::uint64_t>(ms) & clockMask);
}

std::int32_t ReadClock() {
  const std::int32_t now = host ? host->Now() : FallbackNow();
  VEXA_ASSERT(now >= 0, "BrixTimer");
  return now;
}

// Wrap-safe: a reading taken just after the clock wrapped still counts forward.
std::int32_t Elapsed(std::int32_t now, std::int32_t since) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(since)) &
                                   clockMask);
}

bool Runs(const TBrixThread& e) { return e.proc && e.interval > 0; }

// How long the loop may sleep before the earliest entry falls due.
std::int32_t WaitBeforeDue(std::int32_t now) {
  std::int32_t wait = idleWaitMs;
  for (const TBrixThread& e : entries) {
    if (!Runs(e) || e.removed) continue;
    // Due once elapsed exceeds the interval, i.e. at interval + 1.
    const std::int64_t left = std::int64_t{e.interval} + 1 - Elapsed(now, e.lastTime);
    wait = static_cast<std::int32_t>(std::min<std::int64_t>(wait, left));
  }
  return std::max(wait, 1);
}

void CallDue(std::int32_t now) {
  if (entries.empty()) return;
  // Entries added by a procedure are first looked at in the next pass.
  const std::size_t last = entries.size() - 1;
  for (std::size_t i = 0; i <= last && i < entries.size(); ++i) {
    const TBrixThread& e = entries[i];
    if (!Runs(e) || Elapsed(now, e.lastTime) <= e.interval) continue;
    // A copy: the procedure may grow the list and move the entry it lives in.
    const std::function<void()> proc = e.proc;
    proc();
    if (i < entries.size()) entries[i].lastTime = now;
  }
}

}  // namespace

void TBrixTimer::SetHost(TimerHost* timerHost) { host = timerHost; }

// The loop is entered by the main thread once the window is shown; nothing to resume.
void TBrixTimer::Start() {}

void TBrixTimer::Remove(const std::string& name) {
  for (TBrixThread& e : entries)
    if (e.name == name) e.removed = true;
}

void TBrixTimer::Add(std::function<void()> proc, std::int32_t interval, std::string name) {
  TBrixThread e;
  e.name = std::move(name);
  e.proc = std::move(proc);
  e.interval = interval;
  e.lastTime = ReadClock();
  entries.push_back(std::move(e));
}

void TBrixTimer::Clear() { entries.clear(); }

void TBrixTimer::RunLoop() {
  VEXA_ASSERT(host != nullptr, "BrixTimer");
  while (!host->Terminated()) {
    host->DispatchEvents();
    // Sleeps until an event or the next due entry, where a fixed 1 ms nap would wake
    // a thousand times a second.
    host->Wait(WaitBeforeDue(ReadClock()));
    Sweep();
    CallDue(ReadClock());
  }
}

std::int32_t TBrixTimer::RunPass() {
  Sweep();
  CallDue(ReadClock());
  return WaitBeforeDue(ReadClock());
}

void TBrixTimer::Sweep() {
  for (std::size_t i = entries.size(); i-- > 0;)
    if (entries[i].removed) entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
}

std::int32_t TBrixTimer::EntryCount() { return static_cast<std::int32_t>(entries.size()); }

TBrixThread& TBrixTimer::Entry(std::int32_t index) {
  return entries[CheckIndex("TBrixTimer entry", index, EntryCount())];
}

}  // namespace vexa
