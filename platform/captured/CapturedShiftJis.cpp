// Shift-JIS through the table captured from the desktop's converter: the browser's libc
// has no CP932 (its plain Shift-JIS writes some of the game's characters as '*'), and
// Windows' own converter refuses some characters iconv maps.
#include <algorithm>

#include "lib/GlyphFile.h"
#include "lib/ShiftJis.h"
#include "platform/captured/ShiftJisTable.h"

namespace vexa {

namespace {

// Strict, as iconv is: a malformed sequence makes the whole conversion fail.
bool NextStrict(std::string_view s, std::size_t& i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  const int extra = b0 < 0x80 ? 0 : b0 >= 0xC2 && b0 < 0xE0 ? 1 : b0 >= 0xE0 && b0 < 0xF0 ? 2 : b0 >= 0xF0 && b0 < 0xF5 ? 3 : -1;
  if (extra < 0 || static_cast<std::size_t>(extra) >= s.size() - i) return false;
  cp = extra == 0 ? b0 : (b0 & (0x3F >> extra));
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (b & 0x3F);
  }
  i += static_cast<std::size_t>(extra) + 1;
  return true;
}

}  // namespace

std::optional<std::string> ToShiftJis(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  const ShiftJisPair* const begin = kShiftJisTable;
  const ShiftJisPair* const end = kShiftJisTable + kShiftJisTableSize;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    if (!NextStrict(utf8, i, cp)) return std::nullopt;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    const ShiftJisPair* found =
        std::lower_bound(begin, end, cp, [](const ShiftJisPair& p, char32_t c) { return p.codePoint < c; });
    if (found == end || found->codePoint != cp) return std::nullopt;
    if (found->code >= 0x100) out += static_cast<char>(found->code >> 8);
    out += static_cast<char>(found->code & 0xFF);
  }
  return out;
}

std::optional<std::string> FromShiftJis(std::string_view sjis) {
  std::string out;
  for (std::size_t i = 0; i < sjis.size();) {
    const auto b0 = static_cast<unsigned char>(sjis[i]);
    if (b0 < 0x80) {
      out += static_cast<char>(b0);
      ++i;
      continue;
    }
    const bool single = b0 >= 0xA1 && b0 <= 0xDF;
    if (!single && i + 1 >= sjis.size()) return std::nullopt;
    const std::uint16_t code =
        single ? b0 : static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(sjis[i + 1]));
    const ShiftJisPair* found = std::find_if(kShiftJisTable, kShiftJisTable + kShiftJisTableSize,
                                             [&](const ShiftJisPair& p) { return p.code == code; });
    if (found == kShiftJisTable + kShiftJisTableSize) return std::nullopt;
    out += Utf8Of(found->codePoint);
    i += single ? 1 : 2;
  }
  return out;
}

}  // namespace vexa
