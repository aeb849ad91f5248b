// Packs PNG pictures into one Windows icon file (each entry a whole PNG, as Windows has read
// them since Vista), for the Windows edition's exe.
// Usage: ico_pack OUT.ico SIZE:PICTURE.png ...
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void Put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: ico_pack OUT.ico SIZE:PICTURE.png ...\n";
    return 2;
  }
  std::vector<std::pair<unsigned, std::string>> pictures;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto colon = arg.find(':');
    const unsigned size = colon == std::string::npos ? 0 : static_cast<unsigned>(std::stoul(arg.substr(0, colon)));
    std::ifstream in(arg.substr(colon + 1), std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (size == 0 || size > 256 || bytes.size() < 8 || bytes.compare(1, 3, "PNG") != 0) {
      std::cerr << "ico_pack: " << arg << ": not SIZE:PICTURE.png with a PNG of 1 to 256 pixels\n";
      return 1;
    }
    pictures.emplace_back(size, std::move(bytes));
  }
  std::string ico;
  Put16(ico, 0);
  Put16(ico, 1);  // an icon, not a cursor
  Put16(ico, static_cast<unsigned>(pictures.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(pictures.size());
  for (const auto& [size, bytes] : pictures) {
    ico += static_cast<char>(size == 256 ? 0 : size);  // 0 means 256
    ico += static_cast<char>(size == 256 ? 0 : size);
    ico += '\0';  // no palette
    ico += '\0';
    Put16(ico, 1);   // planes
    Put16(ico, 32);  // bits per pixel
    Put32(ico, static_cast<std::uint32_t>(bytes.size()));
    Put32(ico, offset);
    offset += static_cast<std::uint32_t>(bytes.size());
  }
  for (const auto& picture : pictures) ico += picture.second;
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << ico;
  return out ? 0 : 1;
}
