// The Windows program entry: wide arguments made UTF-8, then the same command line as on
// Linux: a headless replay, or the window game.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "lib/GamePaths.h"
#include "lib/SystemFiles.h"
#include "platform/captured/CapturedText.h"
#include "platform/windows/CarriedData.h"
#include "platform/windows/KnownFolder.h"
#include "platform/shared/WindowGameRun.h"
#include "platform/windows/WideText.h"
#include "record/GameRecord.h"
#include "session/CommandLine.h"
#include "session/ReplayRun.h"
#include "platform/windows/WindowGame.h"

namespace {

std::string ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return vexa::Utf8OfWide(path);
}

// A window program has no console of its own; started from one (--help, a replay typed in a
// command prompt), it writes there. Output already sent elsewhere (a pipe, a file) stays so.
void UseParentConsole() {
  if (GetStdHandle(STD_ERROR_HANDLE) != nullptr || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/")); }

// The game's files: a complete dat/ here or beside the program, with the glyph file beside
// it, as a build or an unpacked archive has them; else the ones carried inside the exe,
// unpacked once into the player's local application data. Returns the program path whose
// folder then holds them ("beside the program" to the data search).
std::string WithGameFiles(const std::string& program, std::ostream& err) {
  const std::vector<std::string> required(vexa::GameDataFiles.begin(), vexa::GameDataFiles.end());
  std::string found;
  std::vector<std::string> tried;
  if (vexa::KindOf(FolderOf(program) + "\\glyphs.bin", true) == vexa::FileKind::Regular &&
      vexa::FindDataFolder(program, required, found, tried))
    return program;
  const std::string home = vexa::GameFolderIn(FOLDERID_LocalAppData);
  if (home.empty()) return program;
  const std::string unpacked = home + "\\" VEXA_VERSION;
  if (!vexa::UnpackCarriedData(unpacked, err)) return program;
  return unpacked + "\\vexa.exe";
}

}  // namespace

int wmain(int argc, wchar_t** wargv) {
  UseParentConsole();
  // A trace written to standard output has the same bytes as on Linux: LF, not CRLF.
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(vexa::Utf8OfWide(wargv[i]));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  vexa::Options options;
  if (const int status = vexa::ParseCommandLine(argc, argv.data(), options, std::cout, std::cerr); status >= 0)
    return status;
  const std::string program = WithGameFiles(ProgramPath(), std::cerr);
  vexa::SetGlyphFile(FolderOf(program) + "\\glyphs.bin");
  if (!options.replay.replayFile.empty()) {
    if (!vexa::PrepareFolders(options, program.c_str(), std::cerr)) return 1;
    return vexa::RunReplay(options.replay, std::cerr);
  }
  if (!vexa::PrepareWindowGame(options, program.c_str(), std::cerr)) return 1;
  return vexa::RunWindowGame(options, std::cerr);
}
