#pragma once
// The game's texts live as UTF-8 in the program and are Shift-JIS (CP932) on disk.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexa {

// Length in Shift-JIS bytes: ASCII and half-width katakana take 1, the rest 2.
std::int32_t ShiftJisLength(std::string_view utf8);
// CP932 both ways, the same bytes on every platform (the desktop's glibc iconv; the page's
// table captured from it); nullopt when a character has no CP932 form.
std::optional<std::string> ToShiftJis(std::string_view utf8);
std::optional<std::string> FromShiftJis(std::string_view sjis);

}  // namespace vexa
