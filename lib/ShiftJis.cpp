#include "lib/ShiftJis.h"

#include <iconv.h>

#include <cerrno>

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

std::optional<std::string> Convert(const char* to, const char* from, std::string_view text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in(text);
  std::string out(in.size() * 2 + 8, '\0');
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
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

std::optional<std::string> ToShiftJis(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }

std::optional<std::string> FromShiftJis(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis); }

}  // namespace vexa
