#pragma once
// How loud a short sound is heard, not how high its peak reaches: the K-weighted mean
// square over a sliding 400 ms window (the momentary loudness of ITU-R BS.1770), taking
// the loudest window. A cue shorter than the window counts as padded with silence, so a
// short tap is quieter than a long tone of the same peak, as it is to the ear.
//
// A second figure runs the same measure behind a 250 Hz high-pass: roughly what a laptop
// speaker, which gives nothing below that, lets through.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace vexa::loudness {

// A biquad in direct form I.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  double Step(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

constexpr double kPi = 3.14159265358979323846;

// The K-weighting's two stages for any sample rate: a +4 dB shelf above about 1.7 kHz
// (the head's effect) and a high-pass near 38 Hz.
inline Biquad KShelf(double rate) {
  const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
  const double k = std::tan(kPi * f0 / rate);
  const double vh = std::pow(10.0, gainDb / 20.0);
  const double vb = std::pow(vh, 0.4996667741545416);
  const double a0 = 1.0 + k / q + k * k;
  Biquad f;
  f.b0 = (vh + vb * k / q + k * k) / a0;
  f.b1 = 2.0 * (k * k - vh) / a0;
  f.b2 = (vh - vb * k / q + k * k) / a0;
  f.a1 = 2.0 * (k * k - 1.0) / a0;
  f.a2 = (1.0 - k / q + k * k) / a0;
  return f;
}

inline Biquad HighPass(double rate, double f0, double q) {
  const double k = std::tan(kPi * f0 / rate);
  const double a0 = 1.0 + k / q + k * k;
  Biquad f;
  f.b0 = 1.0 / a0;
  f.b1 = -2.0 / a0;
  f.b2 = 1.0 / a0;
  f.a1 = 2.0 * (k * k - 1.0) / a0;
  f.a2 = (1.0 - k / q + k * k) / a0;
  return f;
}

// The standard keeps this stage's numerator at 1, -2, 1 rather than scaling it.
inline Biquad KHighPass(double rate) {
  Biquad f = HighPass(rate, 38.13547087602444, 0.5003270373238773);
  f.b0 = 1;
  f.b1 = -2;
  f.b2 = 1;
  return f;
}

// Loudest 400 ms window, in LUFS (full scale = 1.0); -200 for silence.
inline double Momentary(const std::vector<double>& samples, double rate, bool speakerOnly = false) {
  Biquad shelf = KShelf(rate), low = KHighPass(rate), speaker = HighPass(rate, 250.0, 0.7071);
  const std::size_t window = std::size_t(0.4 * rate + 0.5);
  const std::size_t hop = std::size_t(0.01 * rate + 0.5);
  // Filter the sound followed by a window of silence, so tails ring out and short cues
  // are measured against a whole window.
  std::vector<double> sq(samples.size() + window);
  for (std::size_t i = 0; i < sq.size(); ++i) {
    double v = low.Step(shelf.Step(i < samples.size() ? samples[i] : 0.0));
    if (speakerOnly) v = speaker.Step(v);
    sq[i] = v * v;
  }
  std::vector<double> sum(sq.size() + 1, 0.0);
  for (std::size_t i = 0; i < sq.size(); ++i) sum[i + 1] = sum[i] + sq[i];
  double best = 0;
  for (std::size_t end = std::min(hop, sq.size()); end <= sq.size(); end += hop) {
    const std::size_t start = end > window ? end - window : 0;
    best = std::max(best, (sum[end] - sum[start]) / double(window));
  }
  return best > 0 ? -0.691 + 10.0 * std::log10(best) : -200.0;
}

}  // namespace vexa::loudness
