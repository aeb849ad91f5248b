#include "session/WindowSettings.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "session/ReplayFile.h"
#include "lib/GamePaths.h"
#include "lib/SystemFiles.h"

namespace vexa {

std::string WindowSettingsPath() {
  const std::string config = UserSettingsFolder();
  return config.empty() ? "" : config + "/window.conf";
}

WindowSettings ReadWindowSettings(const std::string& path, WindowSettings defaults) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(PathOf(path), ec)) return defaults;
  std::ifstream in(PathOf(path));
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
  std::filesystem::create_directories(PathOf(path).parent_path(), ec);
  const std::string temp = path + ".new";
  {
    std::ofstream out(PathOf(temp), std::ios::trunc);
    out << "scale=" << settings.scale << "\nfullscreen=" << (settings.fullscreen ? 1 : 0) << '\n';
    if (settings.language) out << "lang=" << LanguageName(*settings.language) << '\n';
    out.flush();
    if (!out) return false;
  }
  return MoveOver(temp, path) == 0;
}

}  // namespace vexa
