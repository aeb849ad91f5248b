#include "session/Session.h"

#include <string>
#include <utility>
#include <vector>

#include "core/UnitMain.h"
#include "paint/UnitPaint.h"
#include "session/Trace.h"

namespace vexa {

Session::Session(const SessionOptions& options)
    : g_(std::make_unique<GameState>()), screen_(options.screen), trace_(options.trace) {
  g_->language = options.language;
  if (options.checkFrames) whole_ = std::make_unique<TBrixBitmap>();
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
  if (options.recordFrom) recorder_.emplace(options.seed, *options.recordFrom, options.language);
}

Session::~Session() {
  form_.reset();
  if (journalAttached_) AttachJournal(nullptr);
}

void Session::CompareWithWhole(const TBrixBitmap& frame) const {
  const std::vector<ColorTriple>& a = frame.Pixels();
  const std::vector<ColorTriple>& b = whole_->Pixels();
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (SameColor(a[i], b[i])) continue;
    const std::size_t w = static_cast<std::size_t>(frame.Width());
    throw VexaError("step " + std::to_string(steps_) + ": the frame drawn from what changed differs from the whole frame at " +
                    std::to_string(i % w) + "," + std::to_string(i / w));
  }
}

void Session::Post(const MouseEvent& e) {
  if (recorder_) recorder_->Add(steps_, e);
  switch (e.kind) {
    case MouseEventKind::Down: form_->PaintBoxMainMouseDown(e.button, e.held, e.x, e.y); break;
    case MouseEventKind::Up: form_->PaintBoxMainMouseUp(e.button, e.held, e.x, e.y); break;
    case MouseEventKind::Move: form_->PaintBoxMainMouseMove(e.held, e.x, e.y); break;
  }
}

void Session::Step() {
  BattleTick(*g_);
  const FrameDamage& damage = ComposeFrame(*g_, whole_.get());
  if (whole_ && g_->backbuffer) CompareWithWhole(*g_->backbuffer);
  // The screens: the window's (platform/sdl/WindowGame.cpp), the page's canvas
  // (platform/web/PageMain.cpp), PNG files or nothing (session/ReplayRun.cpp).
  if (screen_ && g_->backbuffer) screen_->Show(*g_->backbuffer, damage);
  if (recorder_) recorder_->StepDone();
  if (trace_) *trace_ << TraceRecord(steps_, *g_, journal_) << '\n';
  if (journalAttached_) lastJournal_ = std::exchange(journal_, Journal{});
  ++steps_;
}

}  // namespace vexa
