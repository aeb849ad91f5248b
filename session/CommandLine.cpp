#include "session/CommandLine.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <utility>

#include "record/GameRecord.h"
#include "lib/GamePaths.h"
#include "lib/SystemFiles.h"
#include "session/ReplayFile.h"
#include "session/RunFolder.h"

namespace vexa {

namespace {

constexpr const char* HelpText =
    "Usage: vexa [--mute] [--scale N|auto] [--fullscreen] [--lang ja|en] [--dir DIR] [--record FILE] [--trace OUT]\n"
    "       vexa --replay FILE [--seed N] [--steps N] [--lang ja|en] [--dir DIR] [--trace OUT] [--frames DIR]\n"
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
    "  --lang ja|en      the language of the game's texts: ja Japanese, en English\n"
    "                    (default: the last window's, at first the locale's; with --replay, the replay's, or ja)\n"
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

namespace {

// What the command line gives as text, read into numbers once it has been parsed whole.
struct RawOptions {
  bool help = false;
  bool version = false;
  // Read as text: the converter would take a leading 0 as octal, 0x as hex, and a sign.
  std::string scale, seed, steps, lang;
  CLI::Option* scaleOpt = nullptr;
  CLI::Option* langOpt = nullptr;
  CLI::Option* fullscreenOpt = nullptr;
  CLI::Option* dirOpt = nullptr;
  CLI::Option* replayOpt = nullptr;
  CLI::Option* seedOpt = nullptr;
  CLI::Option* stepsOpt = nullptr;
  CLI::Option* framesOpt = nullptr;
};

void Declare(CLI::App& app, Options& options, RawOptions& raw) {
  app.set_help_flag();
  app.add_flag("-h,--help", raw.help);
  app.add_flag("--version", raw.version);
  app.add_flag("--mute", options.mute);
  raw.scaleOpt = app.add_option("--scale", raw.scale);
  raw.fullscreenOpt = app.add_flag("--fullscreen", options.fullscreen);
  raw.dirOpt = app.add_option("--dir", options.dir);
  raw.langOpt = app.add_option("--lang", raw.lang);
  app.add_option("--record", options.recordFile);
  raw.replayOpt = app.add_option("--replay", options.replay.replayFile);
  raw.seedOpt = app.add_option("--seed", raw.seed);
  raw.stepsOpt = app.add_option("--steps", raw.steps);
  // The window game writes a trace too, to compare with its replay.
  app.add_option("--trace", options.replay.traceFile);
  raw.framesOpt = app.add_option("--frames", options.replay.framesDir);
}

// Options that do not go together, or are given empty; "" when all is well.
std::string Conflict(const CLI::App& app, const Options& options, const RawOptions& raw) {
  const bool replaying = raw.replayOpt->count() > 0;
  for (const CLI::Option* o : {raw.seedOpt, raw.stepsOpt, raw.framesOpt})
    if (o->count() && !replaying) return o->get_name() + " goes with --replay";
  if (replaying && app.count("--record")) return "--record and --replay exclude each other";
  if (replaying && options.replay.replayFile.empty()) return "--replay needs a FILE";
  if (raw.dirOpt->count() && options.dir.empty()) return "--dir needs a folder; --dir . is the current one";
  return "";
}

// The numbers and the language, each read one way; "" when all could be read.
std::string ReadValues(const RawOptions& raw, Options& options) {
  if (raw.scaleOpt->count()) {
    const auto n = ReadStepCount(raw.scale);  // decimal digits, as every number is read
    if (raw.scale == "auto") options.scale = 0;
    else if (n && *n >= 1 && *n <= 8) options.scale = static_cast<std::int32_t>(*n);
    else return "--scale must be 1 to 8, or auto";
    options.scaleGiven = true;
  }
  options.fullscreenGiven = raw.fullscreenOpt->count() > 0;
  if (raw.langOpt->count() && !(options.language = ReadLanguage(raw.lang))) return "--lang must be ja or en";
  options.replay.language = options.language;
  if (raw.seedOpt->count() && !(options.replay.seed = ReadSeed(raw.seed)))
    return "--seed must be a number 0..4294967295, in decimal digits";
  if (raw.stepsOpt->count() && !(options.replay.steps = ReadStepCount(raw.steps)))
    return "--steps must be a number 0..9223372036854775807, in decimal digits";
  return "";
}

}  // namespace

int ParseCommandLine(int argc, char** argv, Options& options, std::ostream& out, std::ostream& err) {
  CLI::App app{GameTitle, "vexa"};
  RawOptions raw;
  Declare(app, options, raw);
  auto usage = [&](const std::string& what) {
    err << "vexa: " << what << " (see vexa --help)\n";
    return 2;
  };
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return usage(InGameWords(e.what()));
  }
  if (raw.help) {
    out << HelpText;
    return 0;
  }
  if (raw.version) {
    out << "vexa " << VEXA_VERSION << '\n';
    return 0;
  }
  if (const std::string conflict = Conflict(app, options, raw); !conflict.empty()) return usage(conflict);
  if (const std::string wrong = ReadValues(raw, options); !wrong.empty()) {
    err << "vexa: " << wrong << '\n';
    return 2;
  }
  // The window game keeps its save with the player's other data, wherever it was started from.
  if (raw.replayOpt->count() == 0 && options.dir.empty()) {
    const std::string data = UserDataFolder();
    options.dir = data.empty() ? "." : data;
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
    if (!path.empty() && path != "-" && !ec) path = Utf8Of((start / PathOf(path)).lexically_normal());
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
  if (!FindDataFolder(ec ? std::string(argv0) : Utf8Of(self), required, dataFolder, tried)) {
    std::string places;
    for (const auto& t : tried) places += (places.empty() ? "" : ", ") + t;
    err << "vexa: the game's pictures and sounds (dat/) were not found complete; missing: " << places << '\n';
    return false;
  }
  SetDataFolder(Utf8Of(fs::absolute(PathOf(dataFolder), ec)));
  // A replay chooses its own folder once it has read whether it brings a save.
  if (options.replay.replayFile.empty() && !options.dir.empty()) {
    if (!EnterFolder(options.dir, err)) return false;
    TellSaveInTheWay(options.dir, err);
  }
  return true;
}

}  // namespace vexa
