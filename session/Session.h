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

struct SessionOptions {
  std::uint32_t seed = 0;
  Language language = Language::Japanese;  // of the game's texts, for the whole run
  FormWindow* window = nullptr;        // none when headless
  PaintBox* screen = nullptr;          // where each composed frame is shown; none: nowhere
  std::ostream* trace = nullptr;       // one JSON line after each step
  bool keepJournal = false;            // what each step said and played, for LastStepJournal
  std::optional<SaveImage> recordFrom; // record the input, the replay starting from this save
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

  // The one way in for the mouse, live or replayed: the event is numbered with the step it
  // precedes, recorded when recording, and handed to the form at once (a right click's menu
  // sound plays at the click, not at the next step).
  void Post(const MouseEvent& event);
  void Step();

  GameState& Game() { return *g_; }
  const GameState& Game() const { return *g_; }
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
  std::unique_ptr<TBrixBitmap> whole_;  // when checking frames
  std::int64_t steps_ = 0;
};

}  // namespace vexa
