#pragma once
// UTF-8, the game's own text, to and from UTF-16, Windows' own.
#include <string>
#include <string_view>

namespace vexa {

std::wstring WideOf(std::string_view utf8);
std::string Utf8OfWide(std::wstring_view wide);

}  // namespace vexa
