#pragma once
// Sound effects: one channel for the whole program; a new sound cuts the one playing.
#include <memory>
#include <string>
#include <string_view>

namespace vexa {

// The device behind TBrixWave. Play never waits and never reports a missing file.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  virtual void Play(const std::string& nativePath, bool loop) = 0;
  virtual void StopAll() = 0;
};

struct TBrixWave {
  // `fileName` is the game's own name ("dat\dun.wav").
  static void Play(std::string_view fileName, bool loop = false);
  static void StopAll();
  // The program installs its device at start-up; without one the game is silent.
  static void SetOutput(SoundOutput* output);
};

}  // namespace vexa
