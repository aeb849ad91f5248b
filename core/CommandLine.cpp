#include "core/CommandLine.h"

#include <CLI/CLI.hpp>
#include <filesystem>

#include "core/GameFiles.h"
#include "lib/GamePaths.h"

namespace vexa {

int ParseCommandLine(int argc, char** argv, Options& options, std::ostream& out, std::ostream& err) {
  CLI::App app{"V.E.X.A.: a one-window duel played with the mouse alone.", "vexa"};
  app.set_version_flag("--version", std::string("vexa ") + VEXA_VERSION);
  app.add_flag("--mute", options.mute, "Play without sound");
  std::string scale = "1";
  app.add_option("--scale", scale, "Show the game N times larger (1..8), or 'auto'")
      ->check(CLI::IsMember({"auto", "1", "2", "3", "4", "5", "6", "7", "8"}));
  app.add_flag("--fullscreen", options.fullscreen, "Fill the screen, the game centred on black");
  app.add_option("--dir", options.dir, "Folder for save.dat and the report (created if missing)");
  app.add_option("--record", options.recordFile, "Write the played game to FILE as a replay");
  auto* replay = app.add_option("--replay", options.replay.replayFile, "Play FILE headless, without a window");
  // Read as text: the converter would take a leading 0 as octal, 0x as hex, and a sign.
  std::string seed, steps;
  auto* seedOpt = app.add_option("--seed", seed, "Random seed for --replay (0..4294967295)");
  auto* stepsOpt = app.add_option("--steps", steps, "Number of battle steps for --replay");
  auto* traceOpt = app.add_option("--trace", options.replay.traceFile, "Write the trace to OUT ('-': standard output)");
  auto* framesOpt = app.add_option("--frames", options.replay.framesDir, "Write every frame as a PNG into DIR");
  for (auto* o : {seedOpt, stepsOpt, framesOpt}) o->needs(replay);
  (void)traceOpt;  // the window game writes a trace too, to compare with its replay
  app.get_option("--record")->excludes(replay);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e, out, err);  // --help, --version
    err << "vexa: " << e.what() << " (see vexa --help)\n";
    return 2;
  }
  options.scale = scale == "auto" ? 0 : std::stoi(scale);
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
  if (options.replay.replayFile.empty() && !options.dir.empty()) return EnterFolder(options.dir, err);
  return true;
}

bool EnterFolder(const std::string& folder, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::filesystem::current_path(folder, ec);
  if (ec) {
    err << "vexa: cannot use the folder " << folder << ": " << ec.message() << '\n';
    return false;
  }
  return true;
}

void TellDamagedSave(const GameState& g, std::ostream& err) {
  if (!g.damagedSave) return;
  err << "vexa: save.dat could not be loaded, so a new game begins; the first save keeps the old file as "
         "save.dat.damaged\n";
}

}  // namespace vexa
