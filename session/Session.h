#pragma once
// One game and the one place its battle steps run. The window, the headless replay, the
// scripted player and the benchmarks all own a Session and call Step: the step's input is
// delivered, the battle step's rules run, the frame is composed and shown, and the trace
// line is written, in that order, here and nowhere else.
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>

#include "record/UnitData.h"
#include "core/UnitForm.h"
#include "lib/BrixForm.h"
#include "lib/BrixSaveLoad.h"
#include "lib/Journal.h"
#include "lib/Language.h"
#include "session/Recorder.h"

namespace vexa {

// What comes in before a step besides the window's own events: a replay's events, or a
// scripted player's moves.
class StepInput {
 public:
  virtual ~StepInput() = default;
  // Hands `target` (the form's mouse handlers, or the recorder in front of them) whatever
  // comes before step `step`.
  virtual void Deliver(std::int64_t step, MouseTarget& target) = 0;
};

struct SessionOptions {
  std::uint32_t seed = 0;
  Language language = Language::Japanese;  // of the game's texts, for the whole run
  FormWindow* window = nullptr;        // none when headless
  PaintBox* screen = nullptr;          // where each composed frame is shown; none: nowhere
  std::ostream* trace = nullptr;       // one JSON line after each step
  bool keepJournal = false;            // what each step said and played, for LastStepJournal
  std::optional<SaveImage> recordFrom; // record the input, the replay starting from this save
  StepInput* input = nullptr;
  bool onScheduler = false;            // the window: the scheduler calls Step every 50 ms
  // Each frame is also drawn whole and compared with the one drawn from what changed; a
  // difference stops the step with an error naming the pixel.
  bool checkFrames = false;
};

class Session {
 public:
  // Builds the game in its fixed start-up order; throws what start-up throws (a missing picture).
  explicit Session(const SessionOptions& options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void Step();

  GameState& Game() { return *g_; }
  TFormMain& Form() { return *form_; }
  // Where mouse events go: the recorder when recording, so it sees them first; else the form.
  MouseTarget& Mouse();
  const Recorder* Recording() const { return recorder_ ? &*recorder_ : nullptr; }
  const Journal& LastStepJournal() const { return lastJournal_; }
  std::int64_t StepsRun() const { return steps_; }

 private:
  void CompareWithWhole(const TBrixBitmap& frame) const;

  std::unique_ptr<GameState> g_;
  Journal journal_;
  Journal lastJournal_;
  bool journalAttached_ = false;
  std::unique_ptr<TFormMain> form_;
  std::optional<Recorder> recorder_;
  PaintBox* screen_;
  std::ostream* trace_;
  StepInput* input_;
  std::unique_ptr<TBrixBitmap> whole_;  // when checking frames
  std::int64_t steps_ = 0;
};

// The first step would load the font (its configuration, then the face, or the browser's
// glyph file); done right after start-up it fills the wait before that step, which the
// scheduler counts from the form's creation, instead of delaying the first frame.
void LoadFontEarly(const GameState& g);

// One line when the game started fresh because "save.dat" could not be loaded.
void TellDamagedSave(const GameState& g, std::ostream& err);

}  // namespace vexa
