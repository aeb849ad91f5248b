#include "lib/GamePaths.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "lib/SystemFiles.h"

namespace vexa {

namespace {
std::string dataFolder;  // "" = the current folder, the game's own rule

std::string MapSeparators(std::string_view gameName) {
  std::string path(gameName);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}
}  // namespace

bool FindDataFolder(const std::string& executablePath, const std::vector<std::string>& required,
                    std::string& found, std::vector<std::string>& tried) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<fs::path> candidates{fs::current_path(ec)};
  if (!executablePath.empty()) {
    const fs::path exe = fs::weakly_canonical(PathOf(executablePath), ec);
    candidates.push_back(exe.parent_path());
    // Installed: <prefix>/bin/vexa beside <prefix>/share/vexa/dat, wherever the prefix is.
    candidates.push_back(exe.parent_path().parent_path() / "share" / "vexa");
  }
#ifdef VEXA_INSTALLED_DATA_DIR
  candidates.push_back(PathOf(VEXA_INSTALLED_DATA_DIR));
#endif
  tried.clear();
  std::vector<fs::path> seen;
  for (const fs::path& folder : candidates) {
    const fs::path same = fs::weakly_canonical(folder, ec);
    if (std::find(seen.begin(), seen.end(), same) != seen.end()) continue;
    seen.push_back(same);
    // A stray or partial dat/ (a player's own ~/dat, say) must not hide the real one.
    if (!fs::is_directory(folder / "dat", ec)) {
      tried.push_back(Utf8Of(folder / "dat"));
      continue;
    }
    const auto missing = std::find_if(required.begin(), required.end(), [&](const std::string& name) {
      return !fs::is_regular_file(folder / PathOf(MapSeparators(name)), ec);
    });
    if (missing == required.end()) {
      found = Utf8Of(folder);
      return true;
    }
    tried.push_back(Utf8Of(folder / PathOf(MapSeparators(*missing))));
  }
  return false;
}

std::string XdgFolder(const char* variable, const char* underHome) {
  const char* set = std::getenv(variable);
  if (set && set[0] == '/') return set;
  const char* home = std::getenv("HOME");
  if (!home || !*home) return "";
  return std::string(home) + "/" + underHome;
}

void SetDataFolder(const std::string& folder) { dataFolder = folder; }

std::string NativePath(std::string_view gameName) {
  const std::string path = MapSeparators(gameName);
  if (!dataFolder.empty() && path.rfind("dat/", 0) == 0) return dataFolder + "/" + path;
  return path;
}

}  // namespace vexa
