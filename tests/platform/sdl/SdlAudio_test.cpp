#include "platform/sdl/SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include "support/Files.h"
#include "support/Pipes.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// A silent 8 kHz mono 16-bit wave of the given length: long enough to still be playing
// when the test looks, and each length decodes to a chunk of its own size.
void WriteWave(const fs::path& path, int milliseconds) {
  const std::uint32_t samples = 8 * milliseconds;
  const std::uint32_t dataBytes = samples * 2;
  std::ofstream f(path, std::ios::binary);
  auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
  f << "RIFF";
  u32(36 + dataBytes);
  f << "WAVEfmt ";
  u32(16);
  u16(1);         // PCM
  u16(1);         // mono
  u32(8000);      // samples per second
  u32(16000);     // bytes per second
  u16(2);         // block align
  u16(16);        // bits per sample
  f << "data";
  u32(dataBytes);
  f << std::string(dataBytes, '\0');
}

// Decoded length of a file as the device holds it, to tell which one is playing.
std::uint32_t DecodedLength(const fs::path& path) {
  Mix_Chunk* c = Mix_LoadWAV(path.string().c_str());
  EXPECT_NE(c, nullptr) << path;
  const std::uint32_t n = c ? c->alen : 0;
  Mix_FreeChunk(c);
  return n;
}

std::uint32_t PlayingLength() {
  if (!Mix_Playing(0)) return 0;
  Mix_Chunk* c = Mix_GetChunk(0);
  return c ? c->alen : 0;
}

class Audio : public ::testing::Test {
 protected:
  Audio() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    WriteWave(folder.Path() / "dun.wav", 2000);
    WriteWave(folder.Path() / "タ2.wav", 3000);
    std::ofstream(folder.Path() / "broken.wav") << "not a wave at all";
  }
  std::string PathOf(const char* name) const { return (folder.Path() / name).string(); }

  test::TempFolder folder;
  std::ostringstream err;
};

TEST_F(Audio, ANewSoundCutsOffTheOnePlaying) {
  SdlAudio audio(false, err);
  ASSERT_TRUE(audio.HasDevice());
  const std::uint32_t dun = DecodedLength(PathOf("dun.wav"));
  const std::uint32_t ta = DecodedLength(PathOf("タ2.wav"));
  ASSERT_NE(dun, ta);
  audio.Play(PathOf("dun.wav"), false);
  EXPECT_EQ(PlayingLength(), dun);
  audio.Play(PathOf("タ2.wav"), false);
  EXPECT_EQ(PlayingLength(), ta);
  EXPECT_EQ(Mix_AllocateChannels(-1), 1);  // one channel for the whole program
  audio.StopAll();
  EXPECT_EQ(Mix_Playing(-1), 0);
  audio.StopAll();  // nothing playing: nothing happens
  EXPECT_EQ(err.str(), "");
}

TEST_F(Audio, AMissingOrUnreadableFilePlaysNothingAndSaysNothing) {
  SdlAudio audio(false, err);
  for (const char* name : {"no-such.wav", "broken.wav"}) {
    audio.Play(PathOf("dun.wav"), false);
    audio.Play(PathOf(name), false);
    EXPECT_EQ(Mix_Playing(-1), 0) << name;
  }
  EXPECT_EQ(err.str(), "");
}

TEST_F(Audio, APipeInASoundsPlaceIsSkippedNotWaitedOn) {
  const std::string fifo = PathOf("dun.wav");
  fs::remove(fifo);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  SdlAudio audio(false, err);
  EXPECT_TRUE(test::ReturnsWithoutWaitingOn(fifo, [&] {
    audio.Preload({fifo}, err);
    audio.Play(fifo, false);
    SDL_TLSCleanup();  // SDL keeps per-thread error text; this thread ends here
  }));
  EXPECT_EQ(Mix_Playing(-1), 0);
  audio.Play(PathOf("タ2.wav"), false);  // the others still load
  EXPECT_EQ(Mix_Playing(0), 1);
}

// A sound that cannot be played is said once at start, by name and reason; the rest load.
TEST_F(Audio, PreloadNamesEachSoundThatCannotBePlayed) {
  test::WriteFile(PathOf("broken.wav"), "RIFF....WAVEjunk");
  fs::create_directories(PathOf("folder.wav"));
  SdlAudio audio(false, err);
  ASSERT_TRUE(audio.HasDevice());
  err.str("");
  audio.Preload({PathOf("dun.wav"), PathOf("no-such.wav"), PathOf("broken.wav"), PathOf("folder.wav")}, err);
  const std::string said = err.str();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said;
  EXPECT_NE(said.find("no-such.wav cannot be played (it is missing)"), std::string::npos) << said;
  EXPECT_NE(said.find("broken.wav cannot be played (it is not a sound it can read)"), std::string::npos) << said;
  EXPECT_NE(said.find("folder.wav cannot be played (it is not a file)"), std::string::npos) << said;
  EXPECT_EQ(said.find("dun.wav"), std::string::npos) << said;
}

TEST_F(Audio, EachFileIsDecodedOnceAndKept) {
  {
    SdlAudio audio(false, err);
    audio.Play(PathOf("dun.wav"), false);
    fs::remove(PathOf("dun.wav"));
    audio.StopAll();
    audio.Play(PathOf("dun.wav"), false);
    EXPECT_EQ(Mix_Playing(0), 1);
  }
  {
    SdlAudio audio(false, err);
    audio.Preload({PathOf("タ2.wav")}, err);
    fs::remove(PathOf("タ2.wav"));
    audio.Play(PathOf("タ2.wav"), false);
    EXPECT_EQ(Mix_Playing(0), 1);
  }
}

TEST_F(Audio, MutedOpensNoDeviceAtAll) {
  SdlAudio audio(true, err);
  EXPECT_FALSE(audio.HasDevice());
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
  audio.Play(PathOf("dun.wav"), false);
  EXPECT_EQ(err.str(), "");
}

TEST_F(Audio, WithoutADeviceTheGameGoesOnSilentlyAfterOneLine) {
  setenv("SDL_AUDIODRIVER", "no-such-device", 1);
  {
    SdlAudio audio(false, err);
    EXPECT_FALSE(audio.HasDevice());
    audio.Play(PathOf("dun.wav"), false);
    audio.Play(PathOf("dun.wav"), false);
    audio.StopAll();
  }
  const std::string text = err.str();
  EXPECT_NE(text.find("no sound device"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace
}  // namespace vexa
