#include "session/Session.h"

#include <string>
#include <utility>
#include <vector>

#include "core/UnitMain.h"
#include "lib/BrixSaveLoad.h"
#include "lib/FontFace.h"
#include "paint/UnitPaint.h"
#include "session/Trace.h"

namespace vexa {

Session::Session(const SessionOptions& options)
    : g_(std::make_unique<GameState>()), screen_(options.screen), trace_(options.trace), input_(options.input) {
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
  if (options.recordFrom) recorder_.emplace(*form_, options.seed, *options.recordFrom);
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

MouseTarget& Session::Mouse() {
  if (recorder_) return *recorder_;
  return *form_;
}

void Session::Step() {
  if (input_) input_->Deliver(steps_, Mouse());
  BattleTick(*g_);
  const FrameDamage& damage = ComposeFrame(*g_, whole_.get());
  if (whole_ && g_->backbuffer) CompareWithWhole(*g_->backbuffer);
  if (screen_ && g_->backbuffer) screen_->Show(*g_->backbuffer, damage);
  if (recorder_) recorder_->StepDone();
  if (trace_) *trace_ << TraceRecord(steps_, *g_, journal_) << '\n';
  if (journalAttached_) lastJournal_ = std::exchange(journal_, Journal{});
  ++steps_;
}

void LoadFontEarly(const GameState& g) {
  if (!g.backbuffer) return;
  TextLayout layout;
  try {
    LayOutText(g.backbuffer->FontName(), g.backbuffer->FontSize(), g.backbuffer->FontStyle(), " ", layout);
  } catch (const std::exception&) {
    // Without a font the first step that draws text stops the game and says why.
  }
}

void TellDamagedSave(const GameState& g, std::ostream& err) {
  if (!g.damagedSave) return;
  err << "vexa: save.dat could not be loaded ("
      << TBrixSaveLoad::WhyNotLoaded(static_cast<std::int32_t>(SaveFileSize - 10))
      << "), so a new game begins; the first save keeps the old file as save.dat.damaged\n";
}

}  // namespace vexa
