#pragma once
#include <string>

namespace vexa {

// Where LayOutText finds the glyph file; read at the first text laid out.
void SetGlyphFile(const std::string& path);
// Reads it now instead (the page does, in a task of its own); raises what reading raises.
void LoadGlyphFile();

}  // namespace vexa
