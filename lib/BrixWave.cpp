#include "lib/BrixWave.h"

#include "lib/GamePaths.h"
#include "lib/Journal.h"

namespace vexa {

namespace {
SoundOutput* output = nullptr;
}

void TBrixWave::Play(std::string_view fileName, bool loop) {
  // The journal hears every cue, even one the device cannot play, so a replay's trace
  // does not depend on the machine's sound.
  const std::size_t slash = fileName.find_last_of("\\/");
  JournalSound(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
  if (output) output->Play(NativePath(fileName), loop);
}

void TBrixWave::StopAll() {
  if (output) output->StopAll();
}

void TBrixWave::SetOutput(SoundOutput* device) { output = device; }

}  // namespace vexa
