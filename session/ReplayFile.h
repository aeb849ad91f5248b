#pragma once
// The replay file: mouse events numbered by the battle step they precede, read and written.
#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lib/BrixForm.h"
#include "lib/BrixSaveLoad.h"
#include "lib/Language.h"

namespace vexa {

struct ReplayEvent {
  std::int64_t step = 0;
  MouseEventKind kind = MouseEventKind::Move;
  MouseButton button = MouseButton::Left;  // down and up
  ShiftState held;                         // move
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct Replay {
  std::optional<std::uint32_t> seed;
  std::optional<std::int64_t> steps;
  std::optional<SaveImage> save;  // a self-contained replay brings the save it starts from
  std::optional<Language> language;  // without it, Japanese: the game as it was before languages
  std::vector<ReplayEvent> events;
};

// A malformed replay: `line` is 1-based.
struct ReplayError : std::runtime_error {
  ReplayError(int lineNumber, const std::string& what) : std::runtime_error(what), line(lineNumber) {}
  int line;
};

// No line of a replay is longer (a carriage return counts).
inline constexpr std::size_t MaxReplayLine = 4096;

Replay ParseReplay(std::istream& in);

// Counts and steps are decimal digits only (no sign, no base prefix), as in the file.
bool IsDigits(std::string_view text);
std::optional<std::uint32_t> ReadSeed(std::string_view text);
std::optional<std::int64_t> ReadStepCount(std::string_view text);
std::optional<SaveImage> ReadSaveBytes(std::string_view text);  // "none" or 68 hex digits
std::string FormatSaveBytes(const SaveImage& bytes);
std::string FormatReplayEvent(const ReplayEvent& e);
// A replay's event as the session is posted it, and a posted event as a replay keeps it.
MouseEvent MouseEventOf(const ReplayEvent& e);
ReplayEvent ReplayEventOf(std::int64_t step, const MouseEvent& e);

}  // namespace vexa
