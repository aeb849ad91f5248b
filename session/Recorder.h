#pragma once
// Records a played game as a replay: every mouse event the session is posted, numbered by
// the battle step it precedes. The file is written when the game ends, with the steps line
// before the events.
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "session/ReplayFile.h"
#include "lib/BrixForm.h"

namespace vexa {

class Recorder {
 public:
  // `save` is what "save.dat" held when the game started, so the replay starts from it anywhere.
  Recorder(std::uint32_t seed, SaveImage save = {}, Language language = Language::Japanese)
      : seed_(seed), save_(std::move(save)), language_(language) {}

  void Add(std::int64_t step, const MouseEvent& event) { events_.push_back(ReplayEventOf(step, event)); }
  void StepDone() { ++steps_; }
  std::string Text() const;
  bool WriteTo(std::ostream& out) const;

 private:
  std::uint32_t seed_;
  SaveImage save_;
  Language language_;
  std::int64_t steps_ = 0;
  std::vector<ReplayEvent> events_;
};

}  // namespace vexa
