#pragma once
#include <cstdint>
#include <ostream>
#include <string>

#include "session/ReplayRun.h"

namespace vexa {

struct Options {
  bool mute = false;
  std::int32_t scale = 1;  // 0 = pick the largest that fits the display
  bool fullscreen = false;
  bool scaleGiven = false;  // on the command line, which wins over the remembered window
  bool fullscreenGiven = false;
  std::string recordFile;
  std::string dir;
  ReplayOptions replay;
};

// Returns -1 to go on, or the exit status (0 after --help/--version, 2 on a bad command line).
int ParseCommandLine(int argc, char** argv, Options& options, std::ostream& out, std::ostream& err);

// Makes the given paths absolute against the starting folder, finds dat/ and, for the
// window game, enters the folder for "save.dat" and the report; false after one line on `err`.
bool PrepareFolders(Options& options, const char* argv0, std::ostream& err);

// Creates `folder` when missing and makes it the current folder; false after one line on `err`.
bool EnterFolder(const std::string& folder, std::ostream& err);

// One line when anything but a file or a link stands where "save.dat" goes in the current folder.
void TellSaveInTheWay(const std::string& folder, std::ostream& err);

}  // namespace vexa
