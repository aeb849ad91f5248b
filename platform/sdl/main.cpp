// The program entry: the command line, then the window game or a headless replay.
#include <iostream>
#include <sstream>

#include "session/CommandLine.h"
#include "session/ReplayRun.h"
#include "platform/sdl/WindowGame.h"
#include "platform/sdl/SdlWindow.h"

int main(int argc, char** argv) {
  vexa::Options options;
  if (const int status = vexa::ParseCommandLine(argc, argv, options, std::cout, std::cerr); status >= 0)
    return status;
  if (!options.replay.replayFile.empty()) {
    if (!vexa::PrepareFolders(options, argv[0], std::cerr)) return 1;
    return vexa::RunReplay(options.replay, std::cerr);
  }
  // A player who started the game from a menu sees no terminal: what stops it before the
  // window opens is shown in a box as well.
  std::ostringstream said;
  const bool ready = vexa::PrepareFolders(options, argv[0], said);
  std::cerr << said.str();
  if (!ready) {
    std::string text = said.str();
    if (text.rfind("vexa: ", 0) == 0) text.erase(0, 6);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    vexa::ShowStartErrorBox(text);
    return 1;
  }
  return vexa::RunWindowGame(options, std::cerr);
}
