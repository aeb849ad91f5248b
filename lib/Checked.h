#pragma once
// Checked integer arithmetic and assertions. Every rule of the game computes through
// these, so an overflow or an impossible value stops the step instead of corrupting it.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vexa {

// Raised by a failed check; the battle step's caller reports it and stops the steps.
struct VexaError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void RaiseOverflow(const char* op);
[[noreturn]] void RaiseRange(const char* what, std::int64_t index, std::int64_t size);
[[noreturn]] void AssertFailed(const char* unit, int line);

namespace chk {
inline std::int32_t Add(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_add_overflow(a, b, &r)) RaiseOverflow("+");
  return r;
}
inline std::int32_t Sub(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) RaiseOverflow("-");
  return r;
}
inline std::int32_t Mul(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_mul_overflow(a, b, &r)) RaiseOverflow("*");
  return r;
}
// Integer division truncating toward zero, as the game's `div`.
inline std::int32_t Div(std::int32_t a, std::int32_t b) {
  if (b == 0) RaiseOverflow("div by zero");
  if (a == INT32_MIN && b == -1) RaiseOverflow("div");
  return a / b;
}
inline std::int32_t Mod(std::int32_t a, std::int32_t b) {
  if (b == 0) RaiseOverflow("mod by zero");
  if (b == -1) return 0;
  return a % b;
}
}  // namespace chk

// An index into one of the game's fixed tables, checked against its size.
inline std::size_t CheckIndex(const char* what, std::int64_t index, std::int64_t size) {
  if (index < 0 || index >= size) RaiseRange(what, index, size);
  return static_cast<std::size_t>(index);
}

}  // namespace vexa

// Names the unit and the line, as the game's own assertions do.
#define VEXA_ASSERT(cond, unit)                              \
  do {                                                       \
    if (!(cond)) ::vexa::AssertFailed(unit, __LINE__);       \
  } while (0)
