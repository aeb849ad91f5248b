// The generated cues heard side by side: each at its loudness, a hit well above a miss
// (they look alike on screen), the knock-out loudest of the battle, the menu's jingles
// below a hit, and no file clipped or sitting off zero.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/Files.h"
#include "tools/Loudness.h"

namespace vexa {
namespace {

using loudness::Momentary;

constexpr double kRate = 44100;

std::vector<double> Sine(double hz, double amplitude, double seconds) {
  std::vector<double> s(std::size_t(seconds * kRate));
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = amplitude * std::sin(2 * loudness::kPi * hz * double(i) / kRate);
  return s;
}

// The measure itself, on signals whose loudness is known.
TEST(SoundLoudness, MeasuresKnownSignals) {
  struct Case {
    const char* what;
    std::vector<double> samples;
    bool speaker;
    double lufs, tolerance;
  };
  const Case cases[] = {
      // The reference point of the K-weighting: a full-scale 997 Hz sine reads -3.01.
      {"full-scale 997 Hz", Sine(997, 1.0, 1.0), false, -3.01, 0.1},
      {"997 Hz at -20 dBFS", Sine(997, 0.1, 1.0), false, -23.01, 0.1},
      // A tenth of the window holds a tenth of the energy.
      {"40 ms of 997 Hz", Sine(997, 1.0, 0.04), false, -13.01, 0.2},
      {"silence", std::vector<double>(4410, 0.0), false, -200, 0},
      // The shelf lifts the top by 4 dB; a small speaker drops the bass by 16 more.
      {"8 kHz", Sine(8000, 1.0, 1.0), false, 0.30, 0.1},
      {"997 Hz on a speaker", Sine(997, 1.0, 1.0), true, -3.03, 0.1},
      {"100 Hz on a speaker", Sine(100, 1.0, 1.0), true, -20.9, 0.2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(Momentary(c.samples, kRate, c.speaker), c.lufs, c.tolerance);
  }
}

// At 48 kHz the two stages are the ones the standard prints.
TEST(SoundLoudness, KWeightingMatchesThePublishedCoefficients) {
  const loudness::Biquad shelf = loudness::KShelf(48000), low = loudness::KHighPass(48000);
  const double got[] = {shelf.b0, shelf.b1, shelf.b2, shelf.a1, shelf.a2, low.b0, low.b1, low.b2, low.a1, low.a2};
  const double published[] = {1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241,
                              0.73248077421585, 1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621};
  for (std::size_t i = 0; i < std::size(got); ++i) EXPECT_NEAR(got[i], published[i], 1e-8) << i;
}

struct Cue {
  double peak = 0;  // of full scale
  double dc = 0;    // mean sample, of full scale
  double lufs = 0, speakerLufs = 0;
  bool clipped = false;
};

// 16-bit mono PCM at 44100 Hz, as make_sounds writes it; false for anything else.
bool ReadCue(const std::string& file, Cue& cue) {
  const std::string b = test::ReadFile(std::string(VEXA_SOURCE_DIR) + "/dat/" + file);
  auto le = [&](std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + std::size_t(i)]);
    return v;
  };
  if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(36, 4, "data") != 0) return false;
  if (le(20, 2) != 1 || le(22, 2) != 1 || le(24, 4) != 44100 || le(34, 2) != 16) return false;
  const std::size_t n = std::min<std::size_t>(le(40, 4), b.size() - 44) / 2;
  std::vector<double> s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const auto v = std::int16_t(le(44 + 2 * i, 2));
    cue.clipped = cue.clipped || v == 32767 || v == -32768;
    s[i] = v / 32768.0;
    cue.peak = std::max(cue.peak, std::abs(s[i]));
    cue.dc += s[i];
  }
  if (n == 0) return false;
  cue.dc /= double(n);
  cue.lufs = Momentary(s, kRate);
  cue.speakerLufs = Momentary(s, kRate, true);
  return true;
}

// Each cue's loudness, with a little room so a retune need not rewrite this table.
struct Level {
  const char* file;
  double lo, hi;
};
const Level kLevels[] = {
    {"break2.wav", -14, -12},   {"dun.wav", -16, -14},        {"コン.wav", -20, -18},
    {"suka.wav", -23, -21},     {"thathatha.wav", -20, -18},  {"turn.wav", -21, -19},
    {"bub.wav", -20, -18},      {"タ2.wav", -25, -23},        {"popon.wav", -20, -18},
    {"up.wav", -20, -18},       {"cap_tiron02-2.wav", -20, -18},
};

class SoundBalance : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const Level& l : kLevels) ASSERT_TRUE(ReadCue(l.file, cues[l.file])) << l.file;
  }
  std::map<std::string, Cue> cues;
};

TEST_F(SoundBalance, EachCueSitsAtItsLoudnessUnclippedAndCentred) {
  for (const Level& l : kLevels) {
    SCOPED_TRACE(l.file);
    const Cue& c = cues[l.file];
    EXPECT_GE(c.lufs, l.lo);
    EXPECT_LE(c.lufs, l.hi);
    EXPECT_FALSE(c.clipped);
    EXPECT_LE(c.peak, 0.9);  // a decibel of headroom for the mixer
    EXPECT_LT(std::abs(c.dc), 0.002);
  }
}

TEST_F(SoundBalance, AHitIsHeardAboveAMissEvenOnASmallSpeaker) {
  const Cue& hit = cues["dun.wav"];
  const Cue& miss = cues["suka.wav"];
  EXPECT_GE(hit.lufs - miss.lufs, 5.0);
  EXPECT_GE(hit.speakerLufs - miss.speakerLufs, 3.0);
  // Most of the hit is body above the speaker's low limit, not rumble below it.
  EXPECT_LE(hit.lufs - hit.speakerLufs, 3.0);
}

TEST_F(SoundBalance, TheKnockOutLeadsTheBattleAndTheMenuStaysBelowAHit) {
  const Cue& knockOut = cues["break2.wav"];
  for (const char* battle : {"dun.wav", "コン.wav", "suka.wav", "thathatha.wav"}) {
    SCOPED_TRACE(battle);
    EXPECT_GE(knockOut.lufs - cues[battle].lufs, 1.5);
    EXPECT_GE(knockOut.speakerLufs - cues[battle].speakerLufs, 1.5);
  }
  EXPECT_GE(cues["dun.wav"].lufs - cues["コン.wav"].lufs, 2.0) << "a hit outweighs a guarded knock";
  for (const char* menu : {"popon.wav", "up.wav", "cap_tiron02-2.wav", "bub.wav", "タ2.wav", "turn.wav"}) {
    SCOPED_TRACE(menu);
    EXPECT_GE(cues["dun.wav"].lufs - cues[menu].lufs, 3.0);
  }
}

}  // namespace
}  // namespace vexa
