// The Shift-JIS length of a text, without converting it: the layout and the line widths
// need it on every build, with or without a converter.
#include "lib/ShiftJis.h"

namespace vexa {

namespace {

// Decodes one UTF-8 sequence; malformed bytes count as one code point each.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : 0;
  if (extra != 0 && i + static_cast<std::size_t>(extra) >= s.size()) extra = 0;
  char32_t cp = extra == 0 ? b0 : (b0 & (0x3F >> extra));
  for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += static_cast<std::size_t>(extra) + 1;
  return cp;
}

}  // namespace

std::int32_t ShiftJisLength(std::string_view utf8) {
  std::int32_t length = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t cp = NextCodePoint(utf8, i);
    const bool single = cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F);
    length += single ? 1 : 2;
  }
  return length;
}

}  // namespace vexa
