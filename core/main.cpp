// The program entry: the command line, then the window game or a headless replay.
#include <iostream>

#include "core/CommandLine.h"
#include "core/Replay.h"
#include "core/WindowGame.h"

int main(int argc, char** argv) {
  vexa::Options options;
  if (const int status = vexa::ParseCommandLine(argc, argv, options, std::cout, std::cerr); status >= 0)
    return status;
  if (!vexa::PrepareFolders(options, argv[0], std::cerr)) return 1;
  if (!options.replay.replayFile.empty()) return vexa::RunReplay(options.replay, std::cerr);
  return vexa::RunWindowGame(options, std::cerr);
}
