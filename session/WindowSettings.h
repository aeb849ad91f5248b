#pragma once
// The window as the player left it (scale, full screen, language), kept for the next start in
// $XDG_CONFIG_HOME/vexa/window.conf as "key=value" lines.
#include <cstdint>
#include <optional>
#include <string>

#include "lib/Language.h"

namespace vexa {

struct WindowSettings {
  std::int32_t scale = 1;  // 1..8
  bool fullscreen = false;
  std::optional<Language> language;  // the texts' language of the last game; none: the locale's
};

std::string WindowSettingsPath();  // "" when there is no home to keep it in

// What a file holds, over `defaults`; lines it does not know, or values out of range, are skipped.
WindowSettings ReadWindowSettings(const std::string& path, WindowSettings defaults);
// Writes beside the old file and renames it over, creating the folder; false when it could not.
bool WriteWindowSettings(const std::string& path, const WindowSettings& settings);

}  // namespace vexa
