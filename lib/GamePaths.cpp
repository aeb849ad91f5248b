#include "lib/GamePaths.h"

#include <filesystem>

namespace vexa {

namespace {
std::string dataFolder;  // "" = the current folder, the game's own rule
}

bool FindDataFolder(const std::string& executablePath, std::string& found,
                    std::vector<std::string>& tried) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<fs::path> candidates{fs::current_path(ec)};
  if (!executablePath.empty()) {
    const fs::path exe = fs::weakly_canonical(fs::path(executablePath), ec);
    candidates.push_back(exe.parent_path());
    // Installed: <prefix>/bin/vexa beside <prefix>/share/vexa/dat, wherever the prefix is.
    candidates.push_back(exe.parent_path().parent_path() / "share" / "vexa");
  }
#ifdef VEXA_INSTALLED_DATA_DIR
  candidates.emplace_back(VEXA_INSTALLED_DATA_DIR);
#endif
  tried.clear();
  for (const fs::path& folder : candidates) {
    const fs::path dat = folder / "dat";
    tried.push_back(dat.string());
    if (fs::is_directory(dat, ec)) {
      found = folder.string();
      return true;
    }
  }
  return false;
}

void SetDataFolder(const std::string& folder) { dataFolder = folder; }

std::string NativePath(std::string_view gameName) {
  std::string path(gameName);
  for (char& c : path)
    if (c == '\\') c = '/';
  if (!dataFolder.empty() && path.rfind("dat/", 0) == 0) return dataFolder + "/" + path;
  return path;
}

}  // namespace vexa
