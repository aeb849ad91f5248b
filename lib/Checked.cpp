#include "lib/Checked.h"

namespace vexa {

void RaiseOverflow(const char* op) {
  throw VexaError(std::string("integer overflow (") + op + ")");
}

void RaiseRange(const char* what, std::int64_t index, std::int64_t size) {
  throw VexaError(std::string("range check error: ") + what + " index " + std::to_string(index) +
                  " outside 0.." + std::to_string(size - 1));
}

void AssertFailed(const char* unit, int line) {
  throw VexaError(std::string("assertion failed (") + unit + ", line " + std::to_string(line) + ")");
}

}  // namespace vexa
