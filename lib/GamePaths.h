#pragma once
// The game names its files the way it always has ("dat\dun.wav"); this maps them to
// the native file that holds them.
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// Chooses the folder that holds dat/: the current folder first, then beside the
// executable, then the installed data folder. Returns false when none holds it;
// `tried` then lists the places looked at.
bool FindDataFolder(const std::string& executablePath, std::string& found,
                    std::vector<std::string>& tried);
void SetDataFolder(const std::string& folder);  // "" means the current folder

// "dat\vexa_head.bmp" -> "<data folder>/dat/vexa_head.bmp"; other names get '\' -> '/'.
std::string NativePath(std::string_view gameName);

}  // namespace vexa
