#pragma once
// The game's one pseudo-random generator. Every draw is part of the recorded behaviour:
// replays depend on the exact number and order of calls.
#include <cstdint>

namespace vexa {

struct RandomState {
  std::uint32_t seed = 0;
};

// 0..n-1: the upper half of the 64-bit product of the advanced seed and n.
inline std::int32_t Random(RandomState& r, std::int32_t n) {
  r.seed = r.seed * 134775813u + 1u;
  const std::uint64_t product = static_cast<std::uint64_t>(r.seed) * static_cast<std::uint32_t>(n);
  return static_cast<std::int32_t>(product >> 32);
}

// Milliseconds since midnight UTC of the system clock: the window version's seed.
std::uint32_t SeedFromClock();

}  // namespace vexa
