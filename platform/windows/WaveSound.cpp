#include "platform/windows/WaveSound.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "lib/SystemFiles.h"

namespace vexa {

namespace {

// Big enough for any of the game's cues; a larger file is not one of them.
constexpr std::int64_t largestSound = 16 << 20;

// Why a file cannot be played, or "" with its bytes in `bytes`.
std::string ReadSound(const std::string& path, std::vector<unsigned char>& bytes) {
  bytes.clear();
  const FileKind kind = KindOf(path, true);
  if (kind == FileKind::None) return "it is missing";
  // Only a plain file: a pipe in a sound's place would wait for a writer forever.
  if (kind != FileKind::Regular) return "it is not a file";
  const int fd = OpenFile(path, OpenFor::Reading);
  if (fd < 0) return SystemReason();
  const std::int64_t size = RegularFileSize(fd);
  bool whole = size > 12 && size <= largestSound;
  if (whole) {
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t got = 0;
    for (long n = 0; got < bytes.size() && (n = ReadSome(fd, bytes.data() + got, bytes.size() - got)) > 0;)
      got += static_cast<std::size_t>(n);
    whole = got == bytes.size();
  }
  CloseFile(fd);
  // PlaySound takes RIFF WAVE files; anything else it would refuse at every cue.
  if (!whole || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    bytes.clear();
    return "it is not a sound it can read";
  }
  return "";
}

}  // namespace

WaveSound::WaveSound(bool mute, std::ostream& err) {
  if (mute) return;
  // PlaySound says yes even with nothing to play on; the device count tells.
  if (waveOutGetNumDevs() == 0) {
    err << "vexa: no sound device (Windows lists none); playing without sound\n";
    return;
  }
  open_ = true;
  StopAll();
}

WaveSound::~WaveSound() { StopAll(); }  // before the bytes it may be playing go

void WaveSound::Preload(const std::vector<std::string>& files, std::ostream& err) {
  if (!open_) return;
  for (const std::string& path : files) {
    if (sounds_.contains(path)) continue;
    std::vector<unsigned char> bytes;
    // Said once, at start: the game goes on, just without that cue.
    const std::string why = ReadSound(path, bytes);
    if (!why.empty()) err << "vexa: the sound " << path << " cannot be played (" << why << "); the game goes on without it\n";
    sounds_.emplace(path, std::move(bytes));
  }
}

const std::vector<unsigned char>& WaveSound::Sound(const std::string& path) {
  auto found = sounds_.find(path);
  if (found == sounds_.end()) {
    std::vector<unsigned char> bytes;
    ReadSound(path, bytes);
    found = sounds_.emplace(path, std::move(bytes)).first;
  }
  return found->second;
}

void WaveSound::Play(const std::string& nativePath, bool loop) {
  if (!open_) return;
  const std::vector<unsigned char>& bytes = Sound(nativePath);
  // Even a cue that cannot sound replaces the one playing, as a new sound would.
  if (bytes.empty()) {
    StopAll();
    return;
  }
  PlaySoundW(reinterpret_cast<LPCWSTR>(bytes.data()), nullptr,
             SND_MEMORY | SND_ASYNC | SND_NODEFAULT | (loop ? SND_LOOP : 0));
}

void WaveSound::StopAll() {
  if (open_) PlaySoundW(nullptr, nullptr, 0);
}

}  // namespace vexa
