#include "session/Session.h"

#include <utility>

#include "core/UnitMain.h"
#include "paint/UnitPaint.h"
#include "session/Trace.h"

namespace vexa {

Session::Session(const SessionOptions& options)
    : g_(std::make_unique<GameState>()), screen_(options.screen), trace_(options.trace), input_(options.input) {
  // Attached before start-up, whose messages belong to the first step's record.
  if (options.trace || options.keepJournal) {
    AttachJournal(&journal_);
    journalAttached_ = true;
  }
  try {
    std::function<void()> tick;
    if (options.onScheduler) tick = [this] { Step(); };
    form_ = std::make_unique<TFormMain>(*g_, options.window, std::move(tick), options.seed);
  } catch (...) {
    if (journalAttached_) AttachJournal(nullptr);
    throw;
  }
  if (options.recordFrom) recorder_.emplace(*form_, options.seed, *options.recordFrom);
}

Session::~Session() {
  form_.reset();
  if (journalAttached_) AttachJournal(nullptr);
}

MouseTarget& Session::Mouse() {
  if (recorder_) return *recorder_;
  return *form_;
}

void Session::Step() {
  if (input_) input_->Deliver(steps_, Mouse());
  BattleTick(*g_);
  ComposeFrame(*g_);
  if (screen_ && g_->backbuffer) screen_->Show(*g_->backbuffer);
  if (recorder_) recorder_->StepDone();
  if (trace_) *trace_ << TraceRecord(steps_, *g_, journal_) << '\n';
  if (journalAttached_) lastJournal_ = std::exchange(journal_, Journal{});
  ++steps_;
}

}  // namespace vexa
