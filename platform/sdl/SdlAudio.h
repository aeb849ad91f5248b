#pragma once
// The game's sound device on SDL2_mixer: one channel for the whole program, each file
// decoded once and kept, so a battle step never waits on the disk.
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "lib/BrixWave.h"

struct Mix_Chunk;

namespace vexa {

class SdlAudio : public SoundOutput {
 public:
  // `mute` opens no device at all. Without a usable device (servers, CI) the game goes
  // on silently after one line on `err`. Either way nothing is left playing.
  SdlAudio(bool mute, std::ostream& err);
  ~SdlAudio() override;
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  bool HasDevice() const { return open_; }

  // Decodes `files` now, and says on `err`, one line each, which cannot be played; files
  // never preloaded are decoded on their first Play.
  void Preload(const std::vector<std::string>& files, std::ostream& err);

  // Cuts off the sound playing; a missing or unreadable file plays nothing, silently.
  void Play(const std::string& nativePath, bool loop) override;
  void StopAll() override;

 private:
  Mix_Chunk* Chunk(const std::string& path);

  bool open_ = false;
  // nullptr remembers a file that could not be read, so it is not tried at every step.
  std::unordered_map<std::string, Mix_Chunk*> chunks_;
};

}  // namespace vexa
