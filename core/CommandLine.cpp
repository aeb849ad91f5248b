#include "core/CommandLine.h"

#include <CLI/CLI.hpp>
#include <filesystem>

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
  std::uint32_t seed = 0;
  std::int64_t steps = 0;
  auto* seedOpt = app.add_option("--seed", seed, "Random seed for --replay (0..4294967295)");
  auto* stepsOpt = app.add_option("--steps", steps, "Number of battle steps for --replay")->check(CLI::NonNegativeNumber);
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
  if (seedOpt->count()) options.replay.seed = seed;
  if (stepsOpt->count()) options.replay.steps = steps;
  return -1;
}

bool PrepareFolders(const Options& options, const char* argv0, std::ostream& err) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  std::string dataFolder;
  std::vector<std::string> tried;
  if (!FindDataFolder(ec ? std::string(argv0) : self.string(), dataFolder, tried)) {
    std::string places;
    for (const auto& t : tried) places += (places.empty() ? "" : ", ") + t;
    err << "vexa: the game's pictures and sounds (dat/) were not found; looked in " << places << '\n';
    return false;
  }
  SetDataFolder(fs::absolute(dataFolder, ec).string());
  if (!options.dir.empty()) {
    fs::create_directories(options.dir, ec);
    fs::current_path(options.dir, ec);
    if (ec) {
      err << "vexa: cannot use the folder " << options.dir << ": " << ec.message() << '\n';
      return false;
    }
  }
  return true;
}

}  // namespace vexa
