#pragma once
// Recorded sessions: the replay file (mouse events numbered by battle step), the
// trace of the game state after every step, and the headless run that joins them.
#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/UnitData.h"
#include "lib/BrixForm.h"
#include "lib/BrixSaveLoad.h"
#include "lib/Journal.h"

namespace vexa {

enum class ReplayEventKind { Down, Up, Move };

struct ReplayEvent {
  std::int64_t step = 0;
  ReplayEventKind kind = ReplayEventKind::Move;
  MouseButton button = MouseButton::Left;  // down and up
  ShiftState held;                         // move
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct Replay {
  std::optional<std::uint32_t> seed;
  std::optional<std::int64_t> steps;
  std::optional<SaveImage> save;  // a self-contained replay brings the save it starts from
  std::vector<ReplayEvent> events;
};

// A malformed replay: `line` is 1-based.
struct ReplayError : std::runtime_error {
  ReplayError(int lineNumber, const std::string& what) : std::runtime_error(what), line(lineNumber) {}
  int line;
};

Replay ParseReplay(std::istream& in);

// Counts and steps are decimal digits only (no sign, no base prefix), as in the file.
bool IsDigits(const std::string& text);
std::optional<std::uint32_t> ReadSeed(const std::string& text);
std::optional<std::int64_t> ReadStepCount(const std::string& text);
std::optional<SaveImage> ReadSaveBytes(const std::string& text);  // "none" or 68 hex digits
std::string FormatSaveBytes(const SaveImage& bytes);
std::string FormatReplayEvent(const ReplayEvent& e);
void DeliverReplayEvent(MouseTarget& target, const ReplayEvent& e);

// One JSON line: the state after step `step`, with what the journal collected.
std::string TraceRecord(std::int64_t step, const GameState& g, const Journal& journal);

struct ReplayOptions {
  std::string replayFile;
  std::optional<std::uint32_t> seed;
  std::optional<std::int64_t> steps;
  std::string traceFile;   // "" none, "-" standard output
  std::string framesDir;   // "" none
  std::string folder;      // --dir: the run's folder for "save.dat" and the report; "" default
};

// Runs a replay headless; returns the exit status and reports errors on `err`.
int RunReplay(const ReplayOptions& options, std::ostream& err);

}  // namespace vexa
