#pragma once
// The headless run of a replay: the same game as the window's, step after step, no waiting.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "lib/Language.h"

namespace vexa {

struct ReplayOptions {
  std::string replayFile;
  std::optional<std::uint32_t> seed;
  std::optional<std::int64_t> steps;
  std::optional<Language> language;  // over the replay's own lang line
  std::string traceFile;   // "" none, "-" standard output
  std::string framesDir;   // "" none
  std::string folder;      // --dir: the run's folder for "save.dat" and the report; "" default
};

// Runs a replay headless; returns the exit status and reports errors on `err`.
int RunReplay(const ReplayOptions& options, std::ostream& err);

}  // namespace vexa
