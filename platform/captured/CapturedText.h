#pragma once
#include <string>

namespace vexa {

// Where LayOutText finds the glyph file; read at the first text laid out.
void SetGlyphFile(const std::string& path);

}  // namespace vexa
