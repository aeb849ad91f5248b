#include "session/CommandLine.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "record/GameRecord.h"
#include "lib/BrixSaveLoad.h"
#include "lib/GamePaths.h"
#include "session/ReplayFile.h"

namespace vexa {

namespace {

constexpr const char* HelpText =
    "Usage: vexa [--mute] [--scale N|auto] [--fullscreen] [--dir DIR] [--record FILE] [--trace OUT]\n"
    "       vexa --replay FILE [--seed N] [--steps N] [--dir DIR] [--trace OUT] [--frames DIR]\n"
    "       vexa --help | --version\n"
    "\n"
    "V.E.X.A.: a one-window duel played with the mouse alone.\n"
    "  Move the mouse: your fighter walks toward the pointer.\n"
    "  Left click: attack (between battles: carry out the selected command).\n"
    "  Hold the right button: guard (between battles: choose the next command).\n"
    "  F11 or Alt+Enter: full screen on and off.\n"
    "\n"
    "Options:\n"
    "  --mute            play without sound\n"
    "  --scale N|auto    show the game N times larger (1 to 8); auto: the largest within 85 % of the screen\n"
    "                    (default: the last window's scale, or 1)\n"
    "  --fullscreen      fill the screen, the game centred on black (default: as the last window was)\n"
    "  --dir DIR         the folder for save.dat and the report, created if missing\n"
    "                    (default: $XDG_DATA_HOME/vexa; with --replay, the current folder)\n"
    "  --record FILE     write the played game to FILE as a replay when the game ends\n"
    "  --replay FILE     play the replay FILE headless, without a window or sound\n"
    "  --seed N          with --replay: the random seed, 0 to 4294967295 (default: the replay's, or 0)\n"
    "  --steps N         with --replay: how many battle steps to run\n"
    "                    (default: the replay's, or one past its last event)\n"
    "  --trace OUT       write the game state after every step to OUT as JSON Lines (-: standard output)\n"
    "  --frames DIR      with --replay: write every frame as DIR/frame-NNNNNN.png\n"
    "  -h, --help        show this text\n"
    "  --version         show the version\n"
    "\n"
    "Saves: the game keeps save.dat and レポート.txt in $XDG_DATA_HOME/vexa (~/.local/share/vexa),\n"
    "or in DIR with --dir (--dir . for the current folder). A replay uses the current folder, or a\n"
    "temporary one when the replay brings its own save; a save it replaces with --dir is kept as\n"
    "save.dat.replaced. The window's scale and full screen are remembered in $XDG_CONFIG_HOME/vexa\n"
    "(~/.config/vexa); options on the command line win.\n"
    "\n"
    "Exit status: 0 when the game ends normally, 1 on an error (a missing picture, a file that\n"
    "cannot be written, an internal error), 2 for a wrong command line or a malformed replay.\n";

// The argument library's words for an option given without its value, in the game's.
std::string InGameWords(const std::string& what) {
  static const std::pair<const char*, const char*> needs[] = {
      {"--scale", "--scale needs a value: 1 to 8, or auto"},
      {"--dir", "--dir needs a folder; --dir . is the current one"},
      {"--record", "--record needs a FILE"},
      {"--replay", "--replay needs a FILE"},
      {"--seed", "--seed needs a number 0..4294967295"},
      {"--steps", "--steps needs a number of steps"},
      {"--trace", "--trace needs a file, or - for standard output"},
      {"--frames", "--frames needs a folder"},
  };
  for (const auto& [name, text] : needs)
    if (what.rfind(std::string(name) + ':', 0) == 0 && what.find("missing") != std::string::npos) return text;
  return what;
}

}  // namespace

int ParseCommandLine(int argc, char** argv, Options& options, std::ostream& out, std::ostream& err) {
  CLI::App app{"V.E.X.A.", "vexa"};
  app.set_help_flag();
  bool help = false, version = false;
  app.add_flag("-h,--help", help);
  app.add_flag("--version", version);
  app.add_flag("--mute", options.mute);
  std::string scale;
  auto* scaleOpt = app.add_option("--scale", scale);
  auto* fullscreenOpt = app.add_flag("--fullscreen", options.fullscreen);
  auto* dirOpt = app.add_option("--dir", options.dir);
  app.add_option("--record", options.recordFile);
  auto* replay = app.add_option("--replay", options.replay.replayFile);
  // Read as text: the converter would take a leading 0 as octal, 0x as hex, and a sign.
  std::string seed, steps;
  auto* seedOpt = app.add_option("--seed", seed);
  auto* stepsOpt = app.add_option("--steps", steps);
  auto* traceOpt = app.add_option("--trace", options.replay.traceFile);
  auto* framesOpt = app.add_option("--frames", options.replay.framesDir);
  (void)traceOpt;  // the window game writes a trace too, to compare with its replay
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    err << "vexa: " << InGameWords(e.what()) << " (see vexa --help)\n";
    return 2;
  }
  if (help) {
    out << HelpText;
    return 0;
  }
  if (version) {
    out << "vexa " << VEXA_VERSION << '\n';
    return 0;
  }
  auto usage = [&](const std::string& what) {
    err << "vexa: " << what << " (see vexa --help)\n";
    return 2;
  };
  const bool replaying = replay->count() > 0;
  for (auto* o : {seedOpt, stepsOpt, framesOpt})
    if (o->count() && !replaying) return usage(o->get_name() + " goes with --replay");
  if (replaying && app.count("--record")) return usage("--record and --replay exclude each other");
  if (replaying && options.replay.replayFile.empty()) return usage("--replay needs a FILE");
  if (dirOpt->count() && options.dir.empty()) return usage("--dir needs a folder; --dir . is the current one");
  if (scaleOpt->count()) {
    if (scale == "auto") {
      options.scale = 0;
    } else if (const auto n = ReadStepCount(scale); n && *n >= 1 && *n <= 8) {
      options.scale = static_cast<std::int32_t>(*n);  // decimal digits, as every number is read
    } else {
      return usage("--scale must be 1 to 8, or auto");
    }
    options.scaleGiven = true;
  }
  options.fullscreenGiven = fullscreenOpt->count() > 0;
  if (seedOpt->count()) {
    options.replay.seed = ReadSeed(seed);
    if (!options.replay.seed) {
      err << "vexa: --seed must be a number 0..4294967295, in decimal digits\n";
      return 2;
    }
  }
  if (stepsOpt->count()) {
    options.replay.steps = ReadStepCount(steps);
    if (!options.replay.steps) {
      err << "vexa: --steps must be a number 0..9223372036854775807, in decimal digits\n";
      return 2;
    }
  }
  // The window game keeps its save with the player's other data, wherever it was started from.
  if (!replaying && options.dir.empty()) {
    const std::string data = XdgFolder("XDG_DATA_HOME", ".local/share");
    options.dir = data.empty() ? "." : data + "/vexa";
  }
  options.replay.folder = options.dir;
  return -1;
}

bool PrepareFolders(Options& options, const char* argv0, std::ostream& err) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // Every path the user gave means the folder the game was started in, whatever --dir says.
  const fs::path start = fs::current_path(ec);
  auto anchor = [&](std::string& path) {
    if (!path.empty() && path != "-" && !ec) path = (start / path).lexically_normal().string();
  };
  anchor(options.recordFile);
  anchor(options.dir);
  anchor(options.replay.replayFile);
  anchor(options.replay.traceFile);
  anchor(options.replay.framesDir);
  anchor(options.replay.folder);

  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  std::string dataFolder;
  std::vector<std::string> tried;
  const std::vector<std::string> required(GameDataFiles.begin(), GameDataFiles.end());
  if (!FindDataFolder(ec ? std::string(argv0) : self.string(), required, dataFolder, tried)) {
    std::string places;
    for (const auto& t : tried) places += (places.empty() ? "" : ", ") + t;
    err << "vexa: the game's pictures and sounds (dat/) were not found complete; missing: " << places << '\n';
    return false;
  }
  SetDataFolder(fs::absolute(dataFolder, ec).string());
  // A replay chooses its own folder once it has read whether it brings a save.
  if (options.replay.replayFile.empty() && !options.dir.empty()) {
    if (!EnterFolder(options.dir, err)) return false;
    TellSaveInTheWay(options.dir, err);
  }
  return true;
}

void TellSaveInTheWay(const std::string& folder, std::ostream& err) {
  const std::string what = TBrixSaveLoad::InTheWay();
  if (!what.empty())
    err << "vexa: save.dat in " << folder << " is " << what << ", not a file: saves will fail until it is moved\n";
}

bool EnterFolder(const std::string& folder, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!ec) std::filesystem::current_path(folder, ec);
  if (ec) {
    err << "vexa: cannot use the folder " << folder << " for the save: " << ec.message() << '\n';
    return false;
  }
  if (::access(".", W_OK) != 0) {
    // The game can still be played; only its saves will fail, and the player should know why.
    err << "vexa: the save folder " << folder << " cannot be written (" << std::strerror(errno)
        << "): saves will fail\n";
  }
  return true;
}

}  // namespace vexa
