// The Windows program entry: wide arguments made UTF-8, then the same command line as on
// Linux: a headless replay, or the window game.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "platform/captured/CapturedText.h"
#include "platform/windows/WideText.h"
#include "session/CommandLine.h"
#include "session/ReplayRun.h"

namespace {

// The glyph file the build captured lies beside the program.
std::string ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::string utf8 = vexa::Utf8OfWide(path);
  return utf8.substr(0, utf8.find_last_of("\\/"));
}

}  // namespace

int wmain(int argc, wchar_t** wargv) {
  // A trace written to standard output has the same bytes as on Linux: LF, not CRLF.
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(vexa::Utf8OfWide(wargv[i]));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  vexa::SetGlyphFile(ProgramFolder() + "\\glyphs.bin");
  vexa::Options options;
  if (const int status = vexa::ParseCommandLine(argc, argv.data(), options, std::cout, std::cerr); status >= 0)
    return status;
  if (options.replay.replayFile.empty()) {
    std::cerr << "vexa: this build runs replays (--replay FILE)\n";
    return 2;
  }
  if (!vexa::PrepareFolders(options, argv[0], std::cerr)) return 1;
  return vexa::RunReplay(options.replay, std::cerr);
}
