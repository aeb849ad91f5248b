#include "platform/sdl/WindowGame.h"

#include <cstdlib>

#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/shared/WindowGameRun.h"

namespace vexa {

Language SystemLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return LanguageOfLocale(value);
  }
  return LanguageOfLocale(nullptr);
}

// SDL's boxes need SDL's video: with no window there is none to show either.
int RunWindowGame(const Options& options, std::ostream& err) {
  return RunWindowGameOn<SdlWindow, SdlAudio>(options, false, err);
}

}  // namespace vexa
