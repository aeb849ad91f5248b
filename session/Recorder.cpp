#include "session/Recorder.h"

namespace vexa {

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
