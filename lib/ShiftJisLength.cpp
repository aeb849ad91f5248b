// The Shift-JIS length of a text, without converting it: the layout and the line widths
// need it on every build, with or without a converter.
#include "lib/ShiftJis.h"
#include "lib/Utf8Sequence.h"

namespace vexa {

std::int32_t ShiftJisLength(std::string_view utf8) {
  std::int32_t length = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = SequenceLength(utf8, i);
    const char32_t cp = DecodeSequence(utf8.substr(i, n));
    i += n;
    const bool single = cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F);
    length += single ? 1 : 2;
  }
  return length;
}

}  // namespace vexa
