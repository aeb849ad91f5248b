#pragma once
// The game's sound on Windows: one channel for the whole program (PlaySound from memory, where a
// new cue stops the one playing), each file read once and kept, so a step never waits on the disk.
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "lib/BrixWave.h"

namespace vexa {

class WaveSound : public SoundOutput {
 public:
  // `mute` uses no device at all. Without one the game goes on silently after one line on
  // `err`. Either way nothing is left playing.
  WaveSound(bool mute, std::ostream& err);
  ~WaveSound() override;
  WaveSound(const WaveSound&) = delete;
  WaveSound& operator=(const WaveSound&) = delete;

  bool HasDevice() const { return open_; }

  // Reads `files` now, and says on `err`, one line each, which cannot be played; files never
  // preloaded are read on their first Play.
  void Preload(const std::vector<std::string>& files, std::ostream& err);

  // Cuts off the sound playing; a missing or unreadable file plays nothing, silently.
  void Play(const std::string& nativePath, bool loop) override;
  void StopAll() override;

 private:
  // The file's bytes, kept while they may play; empty for a file that cannot be played.
  const std::vector<unsigned char>& Sound(const std::string& path);

  bool open_ = false;
  std::unordered_map<std::string, std::vector<unsigned char>> sounds_;
};

}  // namespace vexa
