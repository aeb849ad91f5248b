// The program entry: the command line, then the window game or a headless replay.
#include <iostream>

#include "session/CommandLine.h"
#include "session/ReplayRun.h"
#include "platform/sdl/WindowGame.h"
#include "platform/shared/WindowGameRun.h"

int main(int argc, char** argv) {
  vexa::Options options;
  if (const int status = vexa::ParseCommandLine(argc, argv, options, std::cout, std::cerr); status >= 0)
    return status;
  if (!options.replay.replayFile.empty()) {
    if (!vexa::PrepareFolders(options, argv[0], std::cerr)) return 1;
    return vexa::RunReplay(options.replay, std::cerr);
  }
  if (!vexa::PrepareWindowGame(options, argv[0], std::cerr)) return 1;
  return vexa::RunWindowGame(options, std::cerr);
}
