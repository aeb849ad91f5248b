#include "lib/ShiftJis.h"

#include <iconv.h>

#include <cerrno>

namespace vexa {

namespace {

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

std::optional<std::string> ToShiftJis(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }

std::optional<std::string> FromShiftJis(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis); }

}  // namespace vexa
