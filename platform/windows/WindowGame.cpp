#include "platform/windows/WindowGame.h"

#include <windows.h>

#include "platform/shared/WindowGameRun.h"
#include "platform/windows/GameWindow.h"
#include "platform/windows/WaveSound.h"

namespace vexa {

// The language Windows shows its own menus in.
Language SystemLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::Japanese : Language::English;
}

int RunWindowGame(const Options& options, std::ostream& err) {
  return RunWindowGameOn<GameWindow, WaveSound>(options, true, err);
}

}  // namespace vexa
