#include "platform/SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <filesystem>

#include "platform/QuietStderr.h"

namespace vexa {

namespace {
constexpr int theChannel = 0;
// Small enough that a cue starts within the battle step that raised it.
constexpr int bufferSamples = 512;
}  // namespace

SdlAudio::SdlAudio(bool mute, std::ostream& err) {
  if (mute) return;
  std::string failure;
  {
    QuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      failure = SDL_GetError();
    } else if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, bufferSamples) != 0) {
      failure = Mix_GetError();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
  }
  if (!failure.empty()) {
    err << "vexa: no sound device (" << failure << "); playing without sound\n";
    return;
  }
  Mix_AllocateChannels(1);
  open_ = true;
  StopAll();
}

SdlAudio::~SdlAudio() {
  if (!open_) return;
  StopAll();
  for (auto& [path, chunk] : chunks_)
    if (chunk) Mix_FreeChunk(chunk);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudio::Preload(const std::string& folder) {
  if (!open_) return;
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == ".wav") Chunk(folder + "/" + it->path().filename().string());
  }
}

Mix_Chunk* SdlAudio::Chunk(const std::string& path) {
  const auto found = chunks_.find(path);
  if (found != chunks_.end()) return found->second;
  Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
  chunks_.emplace(path, chunk);
  return chunk;
}

void SdlAudio::Play(const std::string& nativePath, bool loop) {
  if (!open_) return;
  Mix_Chunk* chunk = Chunk(nativePath);
  if (!chunk) {
    // Even a cue that cannot sound replaces the one playing, as a new sound would.
    StopAll();
    return;
  }
  Mix_PlayChannel(theChannel, chunk, loop ? -1 : 0);
}

void SdlAudio::StopAll() {
  if (open_) Mix_HaltChannel(-1);
}

}  // namespace vexa
