#include "session/WindowSettings.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "session/ReplayFile.h"
#include "lib/GamePaths.h"

namespace vexa {

std::string WindowSettingsPath() {
  const std::string config = XdgFolder("XDG_CONFIG_HOME", ".config");
  return config.empty() ? "" : config + "/vexa/window.conf";
}

WindowSettings ReadWindowSettings(const std::string& path, WindowSettings defaults) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return defaults;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    const auto number = ReadStepCount(value);
    if (key == "scale" && number && *number >= 1 && *number <= 8) defaults.scale = static_cast<std::int32_t>(*number);
    if (key == "fullscreen" && number && *number <= 1) defaults.fullscreen = *number == 1;
    if (key == "lang" && ReadLanguage(value)) defaults.language = ReadLanguage(value);
  }
  return defaults;
}

bool WriteWindowSettings(const std::string& path, const WindowSettings& settings) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  const std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << "scale=" << settings.scale << "\nfullscreen=" << (settings.fullscreen ? 1 : 0) << '\n';
    if (settings.language) out << "lang=" << LanguageName(*settings.language) << '\n';
    out.flush();
    if (!out) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace vexa
