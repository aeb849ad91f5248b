#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "core/CommandLine.h"
#include "core/Replay.h"
#include "core/UnitForm.h"
#include "core/UnitMain.h"
#include "lib/Checked.h"
#include "lib/PngFile.h"

namespace vexa {

namespace {

// Headless paint box: the frame of each step goes to a PNG when asked.
class FrameFiles : public PaintBox {
 public:
  explicit FrameFiles(std::string dir) : dir_(std::move(dir)) {}
  void Show(const TBrixBitmap& frame) override {
    if (dir_.empty()) return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(step));
    WritePng(dir_ + name, frame);
  }
  std::int64_t step = 0;

 private:
  std::string dir_;
};

// Detaches the journal however the run ends.
struct JournalScope {
  explicit JournalScope(Journal* j) { AttachJournal(j); }
  ~JournalScope() { AttachJournal(nullptr); }
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
    } else if (replay.save) {
      std::string pattern = (fs::temp_directory_path(ec) / "vexa-replay-XXXXXX").string();
      if (ec || !::mkdtemp(pattern.data())) {
        err << "vexa: cannot make a folder for the replay's save in " << fs::temp_directory_path(ec).string() << '\n';
        return false;
      }
      temporary_ = pattern;
      if (!EnterFolder(temporary_, err)) return false;
    }
    if (!replay.save) return true;
    const std::string failed = TBrixSaveLoad::PlaceImage(*replay.save);
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

}  // namespace

int RunReplay(const ReplayOptions& options, std::ostream& err) {
  std::error_code ec;
  if (std::filesystem::is_directory(options.replayFile, ec)) {
    err << "vexa: " << options.replayFile << ":0: is a folder, not a replay\n";
    return 2;
  }
  std::ifstream file(options.replayFile, std::ios::binary);
  if (!file) {
    err << "vexa: " << options.replayFile << ":0: cannot open the replay (" << std::strerror(errno) << ")\n";
    return 2;
  }
  Replay replay;
  try {
    replay = ParseReplay(file);
  } catch (const ReplayError& e) {
    err << "vexa: " << options.replayFile << ':' << e.line << ": " << e.what() << '\n';
    return 2;
  }

  std::int64_t steps = 0;
  if (options.steps) steps = *options.steps;
  else if (replay.steps) steps = *replay.steps;
  else if (!replay.events.empty()) steps = replay.events.back().step + 1;
  const std::uint32_t seed = options.seed ? *options.seed : replay.seed ? *replay.seed : 0;

  std::ofstream traceFile;
  std::ostream* trace = nullptr;
  if (options.traceFile == "-") {
    trace = &std::cout;
  } else if (!options.traceFile.empty()) {
    traceFile.open(options.traceFile, std::ios::binary | std::ios::trunc);
    if (!traceFile) {
      err << "vexa: cannot write the trace " << options.traceFile << '\n';
      return 1;
    }
    trace = &traceFile;
  }
  if (!options.framesDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.framesDir, ec);
  }
  RunFolder folder;
  if (!folder.Enter(options, replay, err)) return 1;

  Journal journal;
  JournalScope scope(&journal);
  FrameFiles frames(options.framesDir);
  auto g = std::make_unique<GameState>();
  std::size_t next = 0;
  try {
    TFormMain form(*g, nullptr, &frames, seed);
    TellDamagedSave(*g, err);
    for (std::int64_t step = 0; step < steps; ++step) {
      while (next < replay.events.size() && replay.events[next].step == step)
        DeliverReplayEvent(form, replay.events[next++]);
      frames.step = step;
      BattleTick(*g);
      if (trace) {
        *trace << TraceRecord(step, *g, journal) << '\n';
        journal = Journal{};
      }
    }
  } catch (const std::exception& e) {
    if (trace) trace->flush();
    err << "vexa: " << e.what() << '\n';
    return 1;
  }
  if (trace) {
    trace->flush();
    if (!*trace) {
      err << "vexa: cannot write the trace " << options.traceFile << '\n';
      return 1;
    }
  }
  return 0;
}

}  // namespace vexa
