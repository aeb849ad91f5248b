// Captures, with the desktop's own text code and font, every glyph the game can draw, and
// the CP932 bytes of every character it can write, for the build that has neither
// FreeType nor a CP932 converter.
// Usage: glyph_data GLYPHS_OUT SHIFT_JIS_TABLE_OUT SIZE:STYLE[,SIZE:STYLE...] SOURCE...
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "lib/Checked.h"
#include "lib/GlyphFile.h"
#include "lib/ShiftJis.h"

namespace {

std::vector<vexa::GlyphShape> ReadShapes(const std::string& list) {
  std::vector<vexa::GlyphShape> shapes;
  std::istringstream in(list);
  std::string item;
  while (std::getline(in, item, ',')) {
    const std::size_t colon = item.find(':');
    if (colon == std::string::npos) throw vexa::VexaError("a shape is SIZE:STYLE, not \"" + item + "\"");
    shapes.push_back({std::stoi(item.substr(0, colon)), static_cast<std::uint8_t>(std::stoi(item.substr(colon + 1)))});
  }
  return shapes;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::cerr << "usage: glyph_data GLYPHS_OUT SHIFT_JIS_TABLE_OUT SIZE:STYLE[,...] SOURCE...\n";
    return 2;
  }
  try {
    std::string texts;
    for (int i = 4; i < argc; ++i) {
      std::ifstream in(argv[i], std::ios::binary);
      if (!in) throw vexa::VexaError(std::string("cannot read ") + argv[i]);
      texts.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::vector<char32_t> codePoints = vexa::CodePointsOf(texts);
    const vexa::GlyphFile glyphs = vexa::CaptureGlyphs("ＭＳ ゴシック", ReadShapes(argv[3]), codePoints);

    std::ostringstream table;
    table << "// Made by glyph_data from the desktop's CP932 converter.\n"
             "#include \"platform/captured/ShiftJisTable.h\"\n\nnamespace vexa {\n\n"
             "const ShiftJisPair kShiftJisTable[] = {\n";
    std::size_t count = 0;
    for (char32_t cp : codePoints) {
      if (cp < 0x80) continue;
      const auto sjis = vexa::ToShiftJis(vexa::Utf8Of(cp));
      if (!sjis || sjis->empty() || sjis->size() > 2) continue;  // no CP932 form: not writable anyway
      unsigned code = static_cast<unsigned char>((*sjis)[0]);
      if (sjis->size() == 2) code = code << 8 | static_cast<unsigned char>((*sjis)[1]);
      char line[48];
      std::snprintf(line, sizeof line, "    {0x%05X, 0x%04X},\n", static_cast<unsigned>(cp), code);
      table << line;
      ++count;
    }
    table << "};\n\nconst std::size_t kShiftJisTableSize = " << count << ";\n\n}  // namespace vexa\n";

    if (!WriteFile(argv[1], vexa::EncodeGlyphFile(glyphs)) || !WriteFile(argv[2], table.str())) {
      std::cerr << "glyph_data: cannot write " << argv[1] << " or " << argv[2] << '\n';
      return 1;
    }
  } catch (const std::exception& e) {
    std::cerr << "glyph_data: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
