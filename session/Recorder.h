#pragma once
// Records a played game as a replay: every mouse event, numbered by the battle step it
// precedes. The file is written when the game ends, with the steps line before the events.
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "session/ReplayFile.h"
#include "lib/BrixForm.h"

namespace vexa {

class Recorder : public MouseTarget {
 public:
  // `save` is what "save.dat" held when the game started, so the replay starts from it anywhere.
  Recorder(MouseTarget& form, std::uint32_t seed, SaveImage save = {}, Language language = Language::Japanese)
      : form_(form), seed_(seed), save_(std::move(save)), language_(language) {}

  void PaintBoxMainMouseDown(MouseButton button, ShiftState shift, std::int32_t x, std::int32_t y) override;
  void PaintBoxMainMouseMove(ShiftState shift, std::int32_t x, std::int32_t y) override;
  void PaintBoxMainMouseUp(MouseButton button, ShiftState shift, std::int32_t x, std::int32_t y) override;

  void StepDone() { ++steps_; }
  std::string Text() const;
  bool WriteTo(std::ostream& out) const;

 private:
  MouseTarget& form_;
  std::uint32_t seed_;
  SaveImage save_;
  Language language_;
  std::int64_t steps_ = 0;
  std::vector<ReplayEvent> events_;
};

}  // namespace vexa
