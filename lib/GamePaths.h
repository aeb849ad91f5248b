#pragma once
// The game names its files the way it always has ("dat\dun.wav"); this maps them to
// the native file that holds them.
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// Chooses the first folder whose dat/ holds every one of `required` (the game's names):
// the current folder, then beside the executable, then the installed data folder. Returns
// false when none does; `tried` then names, once for each place, what it lacked first
// (its dat/ or a file in it).
bool FindDataFolder(const std::string& executablePath, const std::vector<std::string>& required,
                    std::string& found, std::vector<std::string>& tried);
void SetDataFolder(const std::string& folder);  // "" means the current folder

// The XDG base folder named by `variable` (XDG_DATA_HOME, XDG_CONFIG_HOME), or its default
// under $HOME (".local/share", ".config") when it is unset or not absolute; "" without a home.
std::string XdgFolder(const char* variable, const char* underHome);

// "dat\vexa_head.bmp" -> "<data folder>/dat/vexa_head.bmp"; other names get '\' -> '/'.
std::string NativePath(std::string_view gameName);

}  // namespace vexa
