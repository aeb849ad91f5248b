#include "lib/BrixWave.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/GamePaths.h"
#include "lib/Journal.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecordingOutput : public SoundOutput {
 public:
  void Play(const std::string& nativePath, bool loop) override {
    log.push_back("play " + nativePath + (loop ? " loop" : ""));
  }
  void StopAll() override { log.push_back("stop"); }
  std::vector<std::string> log;
};

class Wave : public ::testing::Test {
 protected:
  Wave() { AttachJournal(&journal); }
  ~Wave() override {
    AttachJournal(nullptr);
    TBrixWave::SetOutput(nullptr);
  }
  Journal journal;
  RecordingOutput output;
};

TEST_F(Wave, PlayReportsTheBareFileNameAndHandsTheNativePathToTheDevice) {
  struct {
    const char* name;
    bool loop;
    const char* journaled;
  } cases[] = {
      {"dat\\dun.wav", false, "dun.wav"},
      {"dat\\タ2.wav", false, "タ2.wav"},
      {"dat\\cap_tiron02-2.wav", true, "cap_tiron02-2.wav"},
      {"dat\\no-such-file.wav", false, "no-such-file.wav"},  // the device decides, silently
  };
  TBrixWave::SetOutput(&output);
  std::vector<std::string> expectedJournal, expectedPlays;
  for (const auto& c : cases) {
    TBrixWave::Play(c.name, c.loop);
    expectedJournal.push_back(c.journaled);
    expectedPlays.push_back("play " + NativePath(c.name) + (c.loop ? " loop" : ""));
  }
  EXPECT_EQ(journal.sounds, expectedJournal);
  EXPECT_EQ(output.log, expectedPlays);
  // The device gets a real path under the data folder, not the game's "dat\" name.
  EXPECT_EQ(output.log[0], "play " + std::string(VEXA_SOURCE_DIR) + "/dat/dun.wav");
}

TEST_F(Wave, EveryCallIsJournaledEvenWithoutADevice) {
  TBrixWave::Play("dat\\bub.wav");
  TBrixWave::Play("dat\\bub.wav");
  TBrixWave::StopAll();
  EXPECT_THAT(journal.sounds, ElementsAre("bub.wav", "bub.wav"));
}

TEST_F(Wave, StopAllGoesToTheDeviceAndIsNotASound) {
  TBrixWave::SetOutput(&output);
  TBrixWave::StopAll();
  EXPECT_THAT(output.log, ElementsAre("stop"));
  EXPECT_THAT(journal.sounds, IsEmpty());
}

}  // namespace
}  // namespace vexa
