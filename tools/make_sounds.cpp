// Synthesises the game's eleven sound effects into dat/ as 16-bit mono PCM wave files.
//
// Every sound is built from oscillators, enveloped noise and simple filters; the noise
// comes from fixed seeds, so a rebuild writes the same bytes. Each sound is set to its own
// loudness (as heard, not by peak: a short tap and a long chime of the same peak are far
// apart to the ear), freed of any DC offset, and faded at both ends so it starts and stops
// without a click.
//
// Usage: make_sounds OUTPUT_FOLDER
#include "LittleEndian.h"
#include "Loudness.h"
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

using Wave = std::vector<double>;

Wave Silence(double seconds) { return Wave(std::size_t(seconds * kRate + 0.5), 0.0); }

double Time(std::size_t i) { return double(i) / kRate; }

// Small deterministic noise source; one per sound, seeded by the sound's own number.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1) {}
  double Next() {  // uniform in [-1, 1)
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return double(state_) / 2147483648.0 - 1.0;
  }
  double Uniform(double lo, double hi) { return lo + (hi - lo) * (Next() + 1.0) / 2.0; }

 private:
  std::uint32_t state_;
};

// Two-pole band-pass (state-variable form); the centre may move from sample to sample.
class BandPass {
 public:
  explicit BandPass(double q) : damp_(1.0 / q) {}
  double Step(double in, double centreHz) {
    const double f = 2.0 * std::sin(kPi * std::min(centreHz, kRate / 6.0) / kRate);
    low_ += f * band_;
    const double high = in - low_ - damp_ * band_;
    band_ += f * high;
    return band_;
  }

 private:
  double damp_;
  double low_ = 0, band_ = 0;
};

class LowPass {
 public:
  explicit LowPass(double cutoffHz) : a_(1.0 - std::exp(-kTwoPi * cutoffHz / kRate)) {}
  double Step(double in) { return y_ += a_ * (in - y_); }

 private:
  double a_;
  double y_ = 0;
};

// Adds `src` into `dst` starting `at` seconds in, growing `dst` when needed.
void MixAt(Wave& dst, const Wave& src, double at, double gain = 1.0) {
  const std::size_t start = std::size_t(at * kRate + 0.5);
  if (dst.size() < start + src.size()) dst.resize(start + src.size(), 0.0);
  for (std::size_t i = 0; i < src.size(); ++i) dst[start + i] += gain * src[i];
}

// A struck tone: partials at ratios of the base pitch, each with its own decay.
struct Partial {
  double ratio, gain, decay;  // decay: amplitude falls by e every `decay` seconds
};

// Every note rises over `attack` seconds: a note that starts at full strength clicks.
double Attack(std::size_t i, double attack) { return attack > 0 ? std::min(1.0, Time(i) / attack) : 1.0; }

Wave Strike(double hz, double seconds, const std::vector<Partial>& partials, double attack = 0.003) {
  Wave w = Silence(seconds);
  for (const Partial& p : partials)
    for (std::size_t i = 0; i < w.size(); ++i)
      w[i] += Attack(i, attack) * p.gain * std::exp(-Time(i) / p.decay) * std::sin(kTwoPi * hz * p.ratio * Time(i));
  return w;
}

// A bell-like chime note for the happy cues.
Wave Chime(double hz, double seconds) {
  return Strike(hz, seconds, {{1.0, 1.0, seconds / 3.0}, {2.0, 0.35, seconds / 6.0}, {3.01, 0.15, seconds / 10.0}});
}

// A pulse-wave note with a quick decay, the game-console sound of upgrades.
Wave Pulse(double hz, double seconds, double duty) {
  Wave w = Silence(seconds);
  LowPass soften(5000);
  double phase = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    phase += hz / kRate;
    phase -= std::floor(phase);
    const double env = Attack(i, 0.003) * std::exp(-Time(i) / (seconds * 0.6));
    // Less the pulse's mean: an uneven duty would otherwise sit off zero.
    w[i] = env * soften.Step((phase < duty ? 1.0 : -1.0) - (2 * duty - 1));
  }
  return w;
}

// A sine whose pitch glides exponentially from `fromHz` to `toHz`.
Wave Glide(double fromHz, double toHz, double seconds, double decay) {
  Wave w = Silence(seconds);
  double phase = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = Time(i) / seconds;
    phase += kTwoPi * fromHz * std::pow(toHz / fromHz, t) / kRate;
    w[i] = Attack(i, 0.001) * std::exp(-Time(i) / decay) * std::sin(phase);
  }
  return w;
}

// Band-passed noise whose centre follows `centre(t)` (t from 0 to 1) under envelope `env(t)`.
template <class Centre, class Env>
Wave Breath(Noise& noise, double seconds, double q, Centre centre, Env env) {
  Wave w = Silence(seconds);
  BandPass filter(q);
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = Time(i) / seconds;
    w[i] = env(t) * filter.Step(noise.Next(), centre(t));
  }
  return w;
}

// Short low-passed noise burst with a fast decay: the attack of a hit or step.
Wave Burst(Noise& noise, double seconds, double cutoffHz, double decay) {
  Wave w = Silence(seconds);
  LowPass filter(cutoffHz);
  for (std::size_t i = 0; i < w.size(); ++i) w[i] = std::exp(-Time(i) / decay) * filter.Step(noise.Next());
  return w;
}

// Noise between two corner frequencies with a fast decay: the bright slap of a hit.
Wave Slap(Noise& noise, double seconds, double fromHz, double toHz, double decay) {
  Wave w = Silence(seconds);
  LowPass upper(toHz), lower(fromHz);
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double v = noise.Next();
    w[i] = std::exp(-Time(i) / decay) * (upper.Step(v) - lower.Step(v));
  }
  return w;
}

// Driven into a soft limit, so a knock carries weight instead of one sharp peak.
void SoftLimit(Wave& w, double drive) {
  double peak = 0;
  for (double v : w) peak = std::max(peak, std::abs(v));
  if (peak > 0)
    for (double& v : w) v = std::tanh(drive * v / peak);
}

double Hill(double t) { return std::sin(kPi * std::clamp(t, 0.0, 1.0)); }

// Loudest a sample may reach: a little headroom below full scale.
constexpr double kPeakLimit = 0.89;  // -1 dBFS

// DC removed, short fades so neither end clicks, then scaled to `lufs` of momentary
// loudness. False when that level would push a peak past the limit.
bool Finish(Wave& w, double fadeInSeconds, double fadeOutSeconds, double lufs) {
  LowPass drift(20);  // what lies below 20 Hz is only offset, never heard
  for (double& v : w) v -= drift.Step(v);
  const std::size_t in = std::size_t(fadeInSeconds * kRate), out = std::size_t(fadeOutSeconds * kRate);
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (i < in) w[i] *= double(i) / double(in);
    const std::size_t fromEnd = w.size() - 1 - i;
    if (fromEnd < out) w[i] *= double(fromEnd) / double(out);
  }
  const double gain = std::pow(10.0, (lufs - vexa::loudness::Momentary(w, kRate)) / 20.0);
  double peak = 0;
  for (double& v : w) peak = std::max(peak, std::abs(v *= gain));
  return peak <= kPeakLimit;
}

// popon: two rising chime notes, "saved".
Wave Popon() {
  Wave w;
  MixAt(w, Chime(784, 0.12), 0.0, 0.8);   // G5
  MixAt(w, Chime(1175, 0.36), 0.09, 1.0);  // D6
  return w;
}

// bub: a low buzz that sags in pitch, "no".
Wave Bub() {
  Wave w = Silence(0.22);
  LowPass soften(1400);
  double phase = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = Time(i);
    phase += (130 - 45 * t / 0.22) / kRate;
    phase -= std::floor(phase);
    const double saw = 2 * phase - 1;
    const double env = std::min(1.0, t / 0.01) * (t < 0.16 ? 1.0 : std::exp(-(t - 0.16) / 0.025));
    w[i] = env * soften.Step(saw + (phase < 0.5 ? 0.6 : -0.6));
  }
  return w;
}

// up: a quick major arpeggio climbing to the octave.
Wave Up() {
  Wave w;
  const double notes[] = {523.25, 659.26, 783.99, 1046.5};  // C5 E5 G5 C6
  for (int k = 0; k < 4; ++k) MixAt(w, Pulse(notes[k], k == 3 ? 0.22 : 0.09, 0.25), 0.055 * k);
  return w;
}

// turn: a whirr that spins up, like a wheel turned back for another go.
Wave Turn() {
  Noise noise(0x7A11);
  const double len = 0.5;
  Wave w = Silence(len);
  BandPass filter(4.0);
  double spin = 0, tone = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = Time(i) / len;
    spin += kTwoPi * (9 + 14 * t) / kRate;  // the blades pass faster and faster
    tone += kTwoPi * 260 * std::pow(3.0, t) / kRate;
    const double sweep = 0.5 + 0.5 * std::sin(spin);
    const double air = filter.Step(noise.Next(), 600 + 1500 * t + 1400 * sweep);
    w[i] = Hill(t) * ((0.35 + 0.65 * sweep) * air * 3.0 + 0.25 * std::sin(tone));
  }
  return w;
}

// thathatha: five quick running steps, each a soft thump and a scuff.
Wave Thathatha() {
  Noise noise(0x5E95);
  Wave w;
  for (int k = 0; k < 5; ++k) {
    const double pitch = k % 2 == 0 ? 150 : 125;
    Wave step = Glide(pitch, pitch * 0.55, 0.07, 0.018);
    MixAt(step, Burst(noise, 0.05, 2500, 0.008), 0.0, 0.8);
    MixAt(w, step, 0.075 * k, k == 4 ? 0.8 : 1.0);
  }
  return w;
}

// タ2: a short light tap for menu steps and retry counting.
Wave Ta2() {
  Noise noise(0x7A2);
  Wave w = Strike(1900, 0.06, {{1.0, 1.0, 0.008}, {2.7, 0.3, 0.004}}, 0.0005);
  MixAt(w, Burst(noise, 0.01, 6000, 0.0015), 0.0, 0.6);
  return w;
}

// suka: a thin fast whoosh that passes by, a swing at nothing.
Wave Suka() {
  Noise noise(0x5CA);
  return Breath(
      noise, 0.26, 2.2, [](double t) { return 700 + 4200 * t * t; },
      [](double t) { return std::pow(Hill(std::pow(t, 0.7)), 2.0); });
}

// コン: a hard knock of a guard, wood-block partials on a sharp click.
Wave Kon() {
  Noise noise(0xC0);
  Wave w = Strike(620, 0.24, {{1.0, 1.0, 0.05}, {2.31, 0.55, 0.03}, {3.9, 0.35, 0.015}, {5.43, 0.2, 0.008}}, 0.0005);
  MixAt(w, Burst(noise, 0.012, 8000, 0.002), 0.0, 0.9);
  SoftLimit(w, 2.0);
  return w;
}

// A blow landing on a body: a falling thump, a body knock in the 250-800 Hz band that
// small speakers still give, and a bright slap on top.
Wave Blow(Noise& noise, double thumpHz, double seconds) {
  Wave w = Glide(thumpHz, thumpHz * 0.5, seconds, seconds / 3);
  MixAt(w, Strike(thumpHz * 1.9, seconds, {{1.0, 1.0, 0.09}, {1.52, 0.8, 0.06}, {2.35, 0.5, 0.035}}, 0.001), 0.0,
        1.2);
  MixAt(w, Slap(noise, 0.06, 1500, 9000, 0.01), 0.0, 1.5);
  return w;
}

// dun: a solid body hit. It must stand well above a miss, which looks the same on screen.
Wave Dun() {
  Noise noise(0xD0);
  Wave w = Blow(noise, 150, 0.22);
  SoftLimit(w, 2.5);
  return w;
}

// break2: a knock-out crash, a heavier blow and a spray of glassy shards.
Wave Break2() {
  Noise noise(0xB2EA);
  Wave w = Blow(noise, 120, 0.4);
  MixAt(w, Burst(noise, 0.7, 7000, 0.12), 0.0, 0.5);
  for (int k = 0; k < 24; ++k) {
    const double at = 0.01 + 0.4 * std::pow(noise.Uniform(0, 1), 1.6);
    const double hz = noise.Uniform(2200, 6500);
    MixAt(w, Strike(hz, 0.25, {{1.0, 1.0, 0.03}, {1.53, 0.5, 0.02}}), at, noise.Uniform(0.15, 0.35));
  }
  SoftLimit(w, 3.0);
  return w;
}

// cap_tiron02-2: a bright "ti-ro-rin" for starting over.
Wave CapTiron() {
  Wave w;
  MixAt(w, Chime(1318.5, 0.12), 0.0, 0.7);    // E6
  MixAt(w, Chime(1568.0, 0.12), 0.075, 0.7);  // G6
  MixAt(w, Chime(2093.0, 0.5), 0.15, 1.0);    // C7
  MixAt(w, Chime(2637.0, 0.45), 0.16, 0.3);   // E7 shimmer
  return w;
}


bool WriteWav(const std::string& path, const Wave& w) {
  const std::uint32_t dataSize = std::uint32_t(w.size() * 2);
  std::vector<std::uint8_t> out{'R', 'I', 'F', 'F'};
  Put32(out, 36 + dataSize);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, 1);  // mono
  Put32(out, kRate);
  Put32(out, kRate * 2);
  Put16(out, 2);
  Put16(out, 16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  Put32(out, dataSize);
  for (double v : w) {
    const long s = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
    Put16(out, std::uint32_t(std::int16_t(s)) & 0xFFFF);
  }
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
  return bool(f);
}

struct Cue {
  const char* file;  // UTF-8 file name
  Wave (*make)();
  double fadeIn;  // seconds; the percussive ones keep their attack sharp
  double lufs;    // momentary loudness
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_sounds OUTPUT_FOLDER\n";
    return 2;
  }
  const std::string dir = argv[1];
  // The battle leads: the knock-out loudest, a hit well above a guard and a miss. The
  // menu's jingles and taps sit below the battle, since they come often and between fights.
  const Cue cues[] = {
      {"popon.wav", Popon, 0.002, -19},
      {"bub.wav", Bub, 0.002, -19},
      {"up.wav", Up, 0.002, -19},
      {"turn.wav", Turn, 0.01, -20},
      {"thathatha.wav", Thathatha, 0.001, -19},
      {"\xE3\x82\xBF" "2.wav", Ta2, 0.0005, -24},  // タ2
      {"suka.wav", Suka, 0.01, -22},
      {"\xE3\x82\xB3\xE3\x83\xB3.wav", Kon, 0.0005, -19},  // コン
      {"dun.wav", Dun, 0.001, -15},
      {"break2.wav", Break2, 0.001, -13},
      {"cap_tiron02-2.wav", CapTiron, 0.002, -19},
  };
  bool ok = true;
  for (const Cue& cue : cues) {
    Wave w = cue.make();
    if (!Finish(w, cue.fadeIn, 0.012, cue.lufs)) {
      std::cerr << "make_sounds: " << cue.file << " would clip at " << cue.lufs << " LUFS\n";
      return 1;
    }
    ok = WriteWav(dir + "/" + cue.file, w) && ok;
  }
  if (!ok) {
    std::cerr << "make_sounds: could not write into " << dir << '\n';
    return 1;
  }
  return 0;
}
