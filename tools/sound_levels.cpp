// Prints how loud each given wave file is: momentary loudness (full range and through a
// small speaker), peak and DC offset. For comparing the cues while tuning make_sounds.
//
// Usage: sound_levels FILE.wav...
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Loudness.h"

namespace {

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(at + std::size_t(i)));
  return v;
}

// 16-bit mono PCM only, which is all the game ships.
bool ReadWav(const std::string& path, std::vector<double>& out, double& rate) {
  std::ifstream f(path, std::ios::binary);
  const std::string b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0) return false;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    const std::size_t len = Le(b, at + 4, 4);
    if (id == "fmt ") rate = Le(b, at + 12, 4);
    if (id == "data") {
      for (std::size_t i = 0; i + 1 < len && at + 9 + i < b.size(); i += 2)
        out.push_back(std::int16_t(Le(b, at + 8 + i, 2)) / 32768.0);
      return rate > 0;
    }
    at += 8 + len + (len & 1);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("%-22s %8s %8s %8s %8s\n", "file", "LUFS", "speaker", "peak", "DC");
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<double> s;
    double rate = 0;
    if (!ReadWav(argv[i], s, rate)) {
      std::fprintf(stderr, "sound_levels: cannot read %s\n", argv[i]);
      status = 1;
      continue;
    }
    double peak = 0, mean = 0;
    for (double v : s) {
      peak = std::max(peak, std::abs(v));
      mean += v;
    }
    mean /= double(s.size());
    std::string name = argv[i];
    name = name.substr(name.find_last_of('/') + 1);
    std::printf("%-22s %8.1f %8.1f %8.1f %8.3f\n", name.c_str(), vexa::loudness::Momentary(s, rate),
                vexa::loudness::Momentary(s, rate, true), 20 * std::log10(peak), mean);
  }
  return status;
}
