// Any bytes as a replay: parsed or refused with a line number, and what parses formats back.
#include <cstdlib>
#include <sstream>

#include "session/ReplayFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  try {
    const vexa::Replay replay = vexa::ParseReplay(in);
    for (const auto& e : replay.events) {
      std::istringstream again("vexa-replay 1\n" + vexa::FormatReplayEvent(e) + "\n");
      if (vexa::ParseReplay(again).events.size() != 1) std::abort();
    }
  } catch (const vexa::ReplayError& e) {
    if (e.line < 1) std::abort();
  }
  return 0;
}
