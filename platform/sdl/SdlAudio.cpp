#include "platform/sdl/SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <filesystem>

#include "platform/sdl/QuietStderr.h"

namespace vexa {

namespace {
constexpr int theChannel = 0;
// Small enough that a cue starts within the battle step that raised it.
constexpr int bufferSamples = 512;

// SDL_mixer brings its decoders' libraries along (MIDI synthesis, codecs and theirs),
// some fifteen that cost about 7 ms to load at every start, with or without sound. It is
// loaded when a sound device is opened instead; this is the little of it the game calls.
struct Mixer {
  void* library = nullptr;
  decltype(&Mix_OpenAudio) openAudio = nullptr;
  decltype(&Mix_AllocateChannels) allocateChannels = nullptr;
  decltype(&Mix_LoadWAV_RW) loadWavRw = nullptr;
  decltype(&Mix_PlayChannelTimed) playChannelTimed = nullptr;
  decltype(&Mix_HaltChannel) haltChannel = nullptr;
  decltype(&Mix_FreeChunk) freeChunk = nullptr;
  decltype(&Mix_CloseAudio) closeAudio = nullptr;
};

template <typename F>
bool Find(void* library, const char* name, F& function) {
  function = reinterpret_cast<F>(SDL_LoadFunction(library, name));
  return function != nullptr;
}

// Loaded once and kept: SDL_mixer keeps no state between an open and the next.
const Mixer* LoadMixer() {
  static Mixer mixer;
  static bool tried = false;
  if (tried) return mixer.library ? &mixer : nullptr;
  tried = true;
  void* library = SDL_LoadObject("libSDL2_mixer-2.0.so.0");
  if (!library) return nullptr;
  if (Find(library, "Mix_OpenAudio", mixer.openAudio) && Find(library, "Mix_AllocateChannels", mixer.allocateChannels) &&
      Find(library, "Mix_LoadWAV_RW", mixer.loadWavRw) && Find(library, "Mix_PlayChannelTimed", mixer.playChannelTimed) &&
      Find(library, "Mix_HaltChannel", mixer.haltChannel) && Find(library, "Mix_FreeChunk", mixer.freeChunk) &&
      Find(library, "Mix_CloseAudio", mixer.closeAudio)) {
    mixer.library = library;
    return &mixer;
  }
  SDL_UnloadObject(library);
  return nullptr;
}

const Mixer& Mix() { return *LoadMixer(); }  // only called with a device open, so loaded
}  // namespace

SdlAudio::SdlAudio(bool mute, std::ostream& err) {
  if (mute) return;
  std::string failure;
  {
    QuietStderr quiet;
    const Mixer* mixer = LoadMixer();
    if (!mixer) {
      failure = std::string("SDL_mixer cannot be loaded: ") + SDL_GetError();
    } else if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      failure = SDL_GetError();
    } else if (mixer->openAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, bufferSamples) != 0) {
      failure = SDL_GetError();  // where SDL_mixer keeps its errors too
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
  }
  if (!failure.empty()) {
    err << "vexa: no sound device (" << failure << "); playing without sound\n";
    return;
  }
  Mix().allocateChannels(1);
  open_ = true;
  StopAll();
}

SdlAudio::~SdlAudio() {
  if (!open_) return;
  StopAll();
  for (auto& [path, chunk] : chunks_)
    if (chunk) Mix().freeChunk(chunk);
  Mix().closeAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudio::Preload(const std::vector<std::string>& files, std::ostream& err) {
  if (!open_) return;
  for (const std::string& path : files) {
    if (Chunk(path)) continue;
    // Said once, at start: the game goes on, just without that cue.
    std::error_code ec;
    const std::string why = !std::filesystem::exists(path, ec)          ? "it is missing"
                            : !std::filesystem::is_regular_file(path, ec) ? "it is not a file"
                                                                           : "it is not a sound it can read";
    err << "vexa: the sound " << path << " cannot be played (" << why << "); the game goes on without it\n";
  }
}

Mix_Chunk* SdlAudio::Chunk(const std::string& path) {
  const auto found = chunks_.find(path);
  if (found != chunks_.end()) return found->second;
  // Only a plain file: opening a pipe put in a sound's place would wait for a writer forever.
  std::error_code ec;
  Mix_Chunk* chunk = std::filesystem::is_regular_file(path, ec)
                         ? Mix().loadWavRw(SDL_RWFromFile(path.c_str(), "rb"), 1)
                         : nullptr;
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
  Mix().playChannelTimed(theChannel, chunk, loop ? -1 : 0, -1);
}

void SdlAudio::StopAll() {
  if (open_) Mix().haltChannel(-1);
}

}  // namespace vexa
