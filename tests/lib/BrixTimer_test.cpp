#include "lib/BrixTimer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "lib/Checked.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int32_t clockTop = 0x7FFFFFFF;

// A clock that moves only when told to, and a wait that either moves it by exactly
// what was asked (the process slept that long) or leaves it for the test to set.
class FakeHost : public TimerHost {
 public:
  std::int32_t Now() override { return clock; }
  void DispatchEvents() override {
    log.push_back("dispatch");
    if (onDispatch) onDispatch();
  }
  bool Terminated() override {
    if (closed || passesLeft == 0) return true;
    --passesLeft;
    return false;
  }
  void Wait(std::int32_t maxMs) override {
    log.push_back("wait " + std::to_string(maxMs));
    waits.push_back(maxMs);
    if (waitAdvances) Advance(maxMs);
  }
  void Advance(std::int32_t ms) { clock = static_cast<std::int32_t>((std::uint32_t(clock) + ms) & clockTop); }

  std::int32_t clock = 1000;
  std::int32_t passesLeft = 0;
  bool closed = false;
  bool waitAdvances = false;
  std::function<void()> onDispatch;
  std::vector<std::string> log;
  std::vector<std::int32_t> waits;
};

class Scheduler : public ::testing::Test {
 protected:
  Scheduler() {
    TBrixTimer::Clear();
    TBrixTimer::SetHost(&host);
  }
  ~Scheduler() override {
    TBrixTimer::Clear();
    TBrixTimer::SetHost(nullptr);
  }
  void RunPasses(std::int32_t n) {
    host.passesLeft = n;
    TBrixTimer::RunLoop();
  }
  // A procedure that notes its name and the clock at each call.
  std::function<void()> Recorder(const std::string& name) {
    return [this, name] {
      calls.push_back(name);
      callTimes[name].push_back(host.clock);
      host.log.push_back("call " + name);
    };
  }

  FakeHost host;
  std::vector<std::string> calls;
  std::map<std::string, std::vector<std::int32_t>> callTimes;
};

TEST_F(Scheduler, AddAppendsAnEntryStampedWithTheCurrentClock) {
  host.clock = 4321;
  TBrixTimer::Add(Recorder("a"), 50, "step");
  host.clock = 5000;
  TBrixTimer::Add(Recorder("b"), 7, "");
  ASSERT_EQ(TBrixTimer::EntryCount(), 2);
  const TBrixThread& first = TBrixTimer::Entry(0);
  EXPECT_EQ(first.name, "step");
  EXPECT_EQ(first.interval, 50);
  EXPECT_EQ(first.lastTime, 4321);
  EXPECT_FALSE(first.removed);
  EXPECT_EQ(TBrixTimer::Entry(1).lastTime, 5000);
  EXPECT_THROW(TBrixTimer::Entry(2), VexaError);
}

TEST_F(Scheduler, AnEntryIsDueOnlyWhenElapsedTimeExceedsItsInterval) {
  struct {
    const char* what;
    std::int32_t interval;
    bool hasProc;
    std::int32_t elapsed;
    bool called;
  } cases[] = {
      {"elapsed equals interval", 50, true, 50, false},
      {"one past the interval", 50, true, 51, true},
      {"well late", 50, true, 5000, true},
      {"interval 1, elapsed 1", 1, true, 1, false},
      {"interval 1, elapsed 2", 1, true, 2, true},
      {"interval 0", 0, true, 100, false},
      {"negative interval", -10, true, 100, false},
      {"empty procedure", 50, false, 100, false},
  };
  for (const auto& c : cases) {
    TBrixTimer::Clear();
    calls.clear();
    host.clock = 1000;
    TBrixTimer::Add(c.hasProc ? Recorder("e") : nullptr, c.interval, "");
    host.clock = 1000 + c.elapsed;
    RunPasses(1);
    EXPECT_EQ(calls.size(), c.called ? 1u : 0u) << c.what;
    // A call restamps the entry with the pass's clock; no call leaves it alone.
    EXPECT_EQ(TBrixTimer::Entry(0).lastTime, c.called ? 1000 + c.elapsed : 1000) << c.what;
  }
}

TEST_F(Scheduler, ALateEntryRunsOnceAndCountsItsNextPeriodFromThatPass) {
  TBrixTimer::Add(Recorder("a"), 50, "");
  host.clock += 500;  // ten periods late
  RunPasses(1);
  EXPECT_EQ(calls.size(), 1u);
  host.clock += 50;
  RunPasses(1);
  EXPECT_EQ(calls.size(), 1u);
  host.clock += 1;
  RunPasses(1);
  EXPECT_EQ(calls.size(), 2u);
}

// The page has no loop to block in: it runs single passes when the wait they return is over.
TEST_F(Scheduler, APassWithoutWaitingCallsWhatIsDueOnceAndSaysWhenTheNextFallsDue) {
  TBrixTimer::Add(Recorder("step"), 50, "step");
  TBrixTimer::Add(Recorder("gone"), 10, "gone");
  TBrixTimer::Remove("gone");
  EXPECT_EQ(TBrixTimer::RunPass(), 51);  // nothing due yet; the removed entry no longer counts
  EXPECT_THAT(calls, IsEmpty());
  EXPECT_EQ(TBrixTimer::EntryCount(), 1);
  host.clock += 20;
  EXPECT_EQ(TBrixTimer::RunPass(), 31);
  host.clock += 1000;  // a hidden tab: twenty periods late, still one step
  EXPECT_EQ(TBrixTimer::RunPass(), 51);
  EXPECT_THAT(calls, ElementsAre("step"));
  EXPECT_THAT(host.log, ElementsAre("call step"));  // never dispatches or waits itself
}

TEST_F(Scheduler, APeriodCountsFromTheClockTakenBeforeTheCallNotAfterIt) {
  // A slow procedure: 30 ms pass while it runs.
  TBrixTimer::Add([this] { host.Advance(30); }, 50, "");
  host.clock = 1051;
  RunPasses(1);
  EXPECT_EQ(host.clock, 1081);
  EXPECT_EQ(TBrixTimer::Entry(0).lastTime, 1051);
}

TEST_F(Scheduler, DueEntriesShareOnePassClockAndRunInRegistrationOrder) {
  // "slow" uses up 100 ms; "edge" is exactly at its interval by the pass's clock and
  // must not become due on the clock as it stands after "slow".
  TBrixTimer::Add(
      [this] {
        calls.push_back("slow");
        host.Advance(100);
      },
      10, "");
  TBrixTimer::Add(Recorder("edge"), 20, "");
  TBrixTimer::Add(Recorder("late"), 5, "");
  host.clock = 1020;
  RunPasses(1);
  EXPECT_THAT(calls, ElementsAre("slow", "late"));
  EXPECT_EQ(TBrixTimer::Entry(0).lastTime, 1020);
  EXPECT_EQ(TBrixTimer::Entry(1).lastTime, 1000);
  EXPECT_EQ(TBrixTimer::Entry(2).lastTime, 1020);
}

TEST_F(Scheduler, AnEntryAddedDuringAPassIsFirstLookedAtInTheNextAndDueIntervalPlusOneLater) {
  bool added = false;
  TBrixTimer::Add(
      [this, &added] {
        if (added) return;
        added = true;
        host.Advance(5);  // the new entry's stamp lies after this pass's clock
        TBrixTimer::Add(Recorder("new"), 10, "");
      },
      50, "");
  host.clock = 1051;
  RunPasses(1);
  ASSERT_EQ(TBrixTimer::EntryCount(), 2);
  EXPECT_THAT(calls, IsEmpty());
  EXPECT_EQ(TBrixTimer::Entry(1).lastTime, 1056);
  host.clock = 1066;
  RunPasses(1);
  EXPECT_THAT(calls, IsEmpty());
  host.clock = 1067;
  RunPasses(1);
  EXPECT_THAT(calls, ElementsAre("new"));
}

TEST_F(Scheduler, AProcedureThatEmptiesTheListEndsThePassSafely) {
  TBrixTimer::Add([] { TBrixTimer::Clear(); }, 10, "");
  TBrixTimer::Add(Recorder("gone"), 10, "");
  host.clock = 2000;
  RunPasses(1);
  EXPECT_THAT(calls, IsEmpty());
  EXPECT_EQ(TBrixTimer::EntryCount(), 0);
}

TEST_F(Scheduler, SweepDropsRemovedEntriesAndKeepsTheOthersInOrder) {
  struct {
    std::vector<int> removed;
    std::vector<std::string> kept;
  } cases[] = {
      {{}, {"a", "b", "c", "d"}},
      {{1}, {"a", "c", "d"}},
      {{1, 2}, {"a", "d"}},  // neighbours: a forward walk that erases would skip one
      {{0, 3}, {"b", "c"}},
      {{0, 1, 2, 3}, {}},
  };
  for (const auto& c : cases) {
    TBrixTimer::Clear();
    for (const char* name : {"a", "b", "c", "d"}) TBrixTimer::Add(Recorder(name), 10, name);
    for (int i : c.removed) TBrixTimer::Entry(i).removed = true;
    TBrixTimer::Sweep();
    std::vector<std::string> kept;
    for (std::int32_t i = 0; i < TBrixTimer::EntryCount(); ++i) kept.push_back(TBrixTimer::Entry(i).name);
    EXPECT_EQ(kept, c.kept);
  }
}

TEST_F(Scheduler, ARemovedEntryIsSweptBeforeItCouldRun) {
  TBrixTimer::Add(Recorder("a"), 10, "");
  TBrixTimer::Add(Recorder("b"), 10, "");
  TBrixTimer::Entry(0).removed = true;
  host.clock = 2000;
  RunPasses(1);
  EXPECT_THAT(calls, ElementsAre("b"));
  EXPECT_EQ(TBrixTimer::EntryCount(), 1);
}

TEST_F(Scheduler, ClearEmptiesTheList) {
  TBrixTimer::Add(Recorder("a"), 10, "");
  TBrixTimer::Add(Recorder("b"), 10, "");
  TBrixTimer::Clear();
  EXPECT_EQ(TBrixTimer::EntryCount(), 0);
  host.clock = 9000;
  RunPasses(1);
  EXPECT_THAT(calls, IsEmpty());
}

TEST_F(Scheduler, APassDispatchesThenWaitsThenCallsWhatIsDue) {
  TBrixTimer::Add(Recorder("a"), 50, "");
  host.waitAdvances = true;
  RunPasses(2);
  // Registered at 1000, so due at 1051: the first wait covers exactly that.
  EXPECT_THAT(host.log, ElementsAre("dispatch", "wait 51", "call a", "dispatch", "wait 51", "call a"));
}

TEST_F(Scheduler, TheWaitEndsWhenTheEarliestEntryFallsDue) {
  struct {
    const char* what;
    std::vector<std::pair<std::int32_t, std::int32_t>> entries;  // interval, ms since registration
    std::int32_t wait;
  } cases[] = {
      {"no entry", {}, 1000},
      {"just registered", {{50, 0}}, 51},
      {"part way", {{50, 30}}, 21},
      {"at the interval", {{50, 50}}, 1},
      {"already late", {{50, 400}}, 1},
      {"the earliest of two", {{50, 10}, {20, 0}}, 21},
      {"long interval", {{60000, 0}}, 1000},
      {"only entries that never run", {{0, 0}, {-5, 0}}, 1000},
  };
  for (const auto& c : cases) {
    TBrixTimer::Clear();
    host.waits.clear();
    for (const auto& [interval, age] : c.entries) {
      host.clock = 5000 - age;
      TBrixTimer::Add([] {}, interval, "");
    }
    host.clock = 5000;
    RunPasses(1);
    ASSERT_EQ(host.waits.size(), 1u) << c.what;
    EXPECT_EQ(host.waits[0], c.wait) << c.what;
  }
}

TEST_F(Scheduler, TheWaitNeverOversleepsADueEntry) {
  // The clock moves only by waiting; every call must land exactly interval + 1 after
  // the previous one, never later.
  host.waitAdvances = true;
  TBrixTimer::Add(Recorder("step"), 50, "");
  TBrixTimer::Add(Recorder("other"), 17, "");
  TBrixTimer::Add(Recorder("slow"), 333, "");
  RunPasses(2000);
  const std::map<std::string, std::int32_t> intervals{{"step", 50}, {"other", 17}, {"slow", 333}};
  for (const auto& [name, interval] : intervals) {
    const auto& times = callTimes[name];
    ASSERT_GE(times.size(), 5u) << name;
    EXPECT_EQ(times[0], 1000 + interval + 1) << name;
    for (std::size_t i = 1; i < times.size(); ++i) EXPECT_EQ(times[i] - times[i - 1], interval + 1) << name;
  }
}

TEST_F(Scheduler, TheStepKeepsItsPeriodAcrossTheClockWrap) {
  host.waitAdvances = true;
  host.clock = clockTop - 200;
  TBrixTimer::Add(Recorder("step"), 50, "");
  RunPasses(40);
  const auto& times = callTimes["step"];
  ASSERT_GE(times.size(), 10u);
  EXPECT_LT(times.back(), times.front());  // the clock did wrap
  for (std::size_t i = 1; i < times.size(); ++i) {
    const std::uint32_t gap = (std::uint32_t(times[i]) - std::uint32_t(times[i - 1])) & clockTop;
    EXPECT_EQ(gap, 51u) << "call " << i;
  }
}

TEST_F(Scheduler, ThePassThatTakesTheCloseStillCallsWhatIsDueAndNoLaterPassRuns) {
  host.waitAdvances = true;
  TBrixTimer::Add(Recorder("step"), 50, "");
  int dispatches = 0;
  host.onDispatch = [&] {
    if (++dispatches == 3) host.closed = true;
  };
  RunPasses(100);
  EXPECT_EQ(dispatches, 3);
  EXPECT_EQ(calls.size(), 3u);
  EXPECT_EQ(host.log.back(), "call step");
}

TEST_F(Scheduler, AnErrorInAProcedureEndsTheLoop) {
  host.waitAdvances = true;
  TBrixTimer::Add([] { throw VexaError("boom"); }, 50, "");
  TBrixTimer::Add(Recorder("after"), 50, "");
  EXPECT_THROW(RunPasses(100), VexaError);
  EXPECT_THAT(calls, IsEmpty());
  EXPECT_EQ(host.waits.size(), 1u);
}

TEST_F(Scheduler, ANegativeClockReadingIsRefused) {
  host.clock = -1;
  EXPECT_THROW(TBrixTimer::Add([] {}, 50, ""), VexaError);
}

TEST(SchedulerWithoutWindow, EntriesStillGetARegistrationTime) {
  TBrixTimer::Clear();
  TBrixTimer::SetHost(nullptr);
  TBrixTimer::Add([] {}, 50, "");
  EXPECT_GE(TBrixTimer::Entry(0).lastTime, 0);
  EXPECT_THROW(TBrixTimer::RunLoop(), VexaError);
  TBrixTimer::Clear();
}

}  // namespace
}  // namespace vexa
