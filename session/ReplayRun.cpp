#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <filesystem>
#include <fstream>
#include <iostream>

#include <optional>

#include "lib/PngFile.h"
#include "session/CommandLine.h"
#include "session/ReplayFile.h"
#include "session/ReplayRun.h"
#include "session/Session.h"
#include "session/Trace.h"

namespace vexa {

namespace {

// Headless paint box: the frame of each step goes to a PNG when asked.
class FrameFiles : public PaintBox {
 public:
  explicit FrameFiles(std::string dir) : dir_(std::move(dir)) {}
  // Each step shows exactly one frame, so the frames count the steps.
  void Show(const TBrixBitmap& frame, const FrameDamage&) override {
    const std::int64_t step = shown_++;
    if (dir_.empty()) return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(step));
    WritePng(dir_ + name, frame);
  }

 private:
  std::string dir_;
  std::int64_t shown_ = 0;
};

// A replay's events, each before the step it names.
class ReplayInput : public StepInput {
 public:
  explicit ReplayInput(const std::vector<ReplayEvent>& events) : events_(events) {}
  void Deliver(std::int64_t step, MouseTarget& target) override {
    while (next_ < events_.size() && events_[next_].step == step) DeliverReplayEvent(target, events_[next_++]);
  }

 private:
  const std::vector<ReplayEvent>& events_;
  std::size_t next_ = 0;
};

// The folder a run keeps "save.dat" and the report in. A replay that brings its own save
// never touches the player's: without --dir it runs in a new folder, removed afterwards.
class RunFolder {
 public:
  ~RunFolder() {
    std::error_code ec;
    if (!previous_.empty()) std::filesystem::current_path(previous_, ec);
    if (!temporary_.empty()) std::filesystem::remove_all(temporary_, ec);
  }
  bool Enter(const ReplayOptions& options, const Replay& replay, std::ostream& err) {
    namespace fs = std::filesystem;
    std::error_code ec;
    previous_ = fs::current_path(ec);
    if (!options.folder.empty()) {
      if (!EnterFolder(options.folder, err)) return false;
      if (!replay.save) TellSaveInTheWay(options.folder, err);  // else putting the save in place says it
    } else if (replay.save) {
      std::string pattern = (fs::temp_directory_path(ec) / "vexa-replay-XXXXXX").string();
      if (ec || !::mkdtemp(pattern.data())) {
        const std::string why = ec ? ec.message() : std::strerror(errno);
        err << "vexa: cannot make a folder for the replay's save in " << fs::temp_directory_path(ec).string() << ": "
            << why << '\n';
        return false;
      }
      temporary_ = pattern;
      if (!EnterFolder(temporary_, err)) return false;
    } else {
      TellSaveInTheWay(previous_.string(), err);
    }
    if (!replay.save) return true;
    std::string kept;
    const std::string failed = TBrixSaveLoad::PlaceImage(*replay.save, kept);
    if (!kept.empty()) err << "vexa: the save.dat that was in " << options.folder << " is kept as " << kept << '\n';
    if (!failed.empty()) {
      err << "vexa: " << options.replayFile << ": the replay's save cannot be put in place: " << failed << '\n';
      return false;
    }
    return true;
  }

 private:
  std::filesystem::path previous_;
  std::string temporary_;
};


// Reads and checks the whole replay first, so a malformed one runs no step at all.
std::optional<Replay> ReadReplay(const std::string& path, std::ostream& err) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    err << "vexa: " << path << ":0: is a folder, not a replay\n";
    return std::nullopt;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    err << "vexa: " << path << ":0: cannot open the replay (" << std::strerror(errno) << ")\n";
    return std::nullopt;
  }
  try {
    return ParseReplay(file);
  } catch (const ReplayError& e) {
    err << "vexa: " << path << ':' << e.line << ": " << e.what() << '\n';
    return std::nullopt;
  }
}

}  // namespace

int RunReplay(const ReplayOptions& options, std::ostream& err) {
  const std::optional<Replay> replay = ReadReplay(options.replayFile, err);
  if (!replay) return 2;

  std::int64_t steps = 0;
  if (options.steps) steps = *options.steps;
  else if (replay->steps) steps = *replay->steps;
  else if (!replay->events.empty()) steps = replay->events.back().step + 1;
  const std::uint32_t seed = options.seed ? *options.seed : replay->seed ? *replay->seed : 0;

  TraceOutput trace;
  if (!trace.Open(options.traceFile, err)) return 1;
  if (!options.framesDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.framesDir, ec);
    if (ec) {
      err << "vexa: cannot write the frames in " << options.framesDir << ": " << ec.message() << '\n';
      return 1;
    }
  }
  RunFolder folder;
  if (!folder.Enter(options, *replay, err)) return 1;

  FrameFiles frames(options.framesDir);
  ReplayInput input(replay->events);
  try {
    SessionOptions so;
    so.seed = seed;
    so.screen = &frames;
    so.trace = trace.Stream();
    so.input = &input;
    // Set, every frame is drawn both ways and compared: the check that drawing only what
    // changed leaves the same picture.
    const char* check = std::getenv("VEXA_CHECK_FRAMES");
    so.checkFrames = check && *check && std::string_view(check) != "0";
    Session session(so);
    TellDamagedSave(session.Game(), err);
    while (session.StepsRun() < steps) session.Step();
  } catch (const std::exception& e) {
    trace.Flush();
    err << "vexa: " << e.what() << '\n';
    return 1;
  }
  return trace.Finish(err) ? 0 : 1;
}

}  // namespace vexa
