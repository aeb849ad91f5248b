#pragma once
// The trace: one JSON line of the game state after every battle step.
#include <cstdint>
#include <fstream>
#include <ostream>
#include <string>

#include "record/UnitData.h"
#include "lib/Journal.h"

namespace vexa {

// One JSON line: the state after step `step`, with what the journal collected.
std::string TraceRecord(std::int64_t step, const GameState& g, const Journal& journal);

// Where a trace goes: nowhere (""), standard output ("-") or a file, opened before the
// game starts so a path that cannot be written is said at once.
class TraceOutput {
 public:
  bool Open(const std::string& path, std::ostream& err);  // false after one line on `err`
  std::ostream* Stream() { return stream_; }
  void Flush();
  bool Finish(std::ostream& err);  // flushes; false after one line when writing failed

 private:
  std::string path_;
  std::ofstream file_;
  std::ostream* stream_ = nullptr;
};

}  // namespace vexa
