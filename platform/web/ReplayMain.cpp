// The browser build's game run headless under node, with the desktop's replay command line:
// the proof that the page runs the very same game.
#include <sys/stat.h>

#include <iostream>

#include "platform/captured/CapturedText.h"
#include "session/CommandLine.h"
#include "session/ReplayRun.h"

int main(int argc, char** argv) {
  vexa::SetGlyphFile(VEXA_GLYPH_FILE);
  // emscripten's libc starts with a umask of 0777, so a new save.dat would get no permissions
  // at all and could not be read back; a desktop session's usual mask instead.
  ::umask(022);
  vexa::Options options;
  if (const int status = vexa::ParseCommandLine(argc, argv, options, std::cout, std::cerr); status >= 0)
    return status;
  if (options.replay.replayFile.empty()) {
    std::cerr << "vexa: this build only runs replays (--replay FILE); the game itself is played in the page\n";
    return 2;
  }
  if (!vexa::PrepareFolders(options, argv[0], std::cerr)) return 1;
  return vexa::RunReplay(options.replay, std::cerr);
}
