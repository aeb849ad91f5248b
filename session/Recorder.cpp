#include "session/Recorder.h"


namespace vexa {

void Recorder::PaintBoxMainMouseDown(MouseButton button, ShiftState shift, std::int32_t x, std::int32_t y) {
  events_.push_back(ReplayEvent{steps_, ReplayEventKind::Down, button, {}, x, y});
  form_.PaintBoxMainMouseDown(button, shift, x, y);
}

void Recorder::PaintBoxMainMouseMove(ShiftState shift, std::int32_t x, std::int32_t y) {
  events_.push_back(ReplayEvent{steps_, ReplayEventKind::Move, MouseButton::Left, shift, x, y});
  form_.PaintBoxMainMouseMove(shift, x, y);
}

void Recorder::PaintBoxMainMouseUp(MouseButton button, ShiftState shift, std::int32_t x, std::int32_t y) {
  events_.push_back(ReplayEvent{steps_, ReplayEventKind::Up, button, {}, x, y});
  form_.PaintBoxMainMouseUp(button, shift, x, y);
}

std::string Recorder::Text() const {
  std::string text = "vexa-replay 1\nseed " + std::to_string(seed_) + "\nlang " + std::string(LanguageName(language_)) + "\nsave " + FormatSaveBytes(save_) +
                     "\nsteps " + std::to_string(steps_) + "\n# step event button x y\n";
  for (const ReplayEvent& e : events_) text += FormatReplayEvent(e) + "\n";
  return text;
}

bool Recorder::WriteTo(std::ostream& out) const {
  out << Text();
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace vexa
