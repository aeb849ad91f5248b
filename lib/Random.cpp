#include "lib/Random.h"

#include <chrono>

namespace vexa {

std::uint32_t SeedFromClock() {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<std::uint32_t>(ms % (24LL * 60 * 60 * 1000));
}

}  // namespace vexa
