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
#include "lib/SystemFiles.h"
#include "session/ReplayFile.h"
#include "session/ReplayRun.h"
#include "session/GameStart.h"
#include "session/RunFolder.h"
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

// Reads and checks the whole replay first, so a malformed one runs no step at all.
std::optional<Replay> ReadReplay(const std::string& path, std::ostream& err) {
  std::error_code ec;
  if (std::filesystem::is_directory(PathOf(path), ec)) {
    err << "vexa: " << path << ":0: is a folder, not a replay\n";
    return std::nullopt;
  }
  std::ifstream file(PathOf(path), std::ios::binary);
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
    std::filesystem::create_directories(PathOf(options.framesDir), ec);
    if (ec) {
      err << "vexa: cannot write the frames in " << options.framesDir << ": " << ec.message() << '\n';
      return 1;
    }
  }
  RunFolder folder;
  if (!folder.Enter(options.folder, replay->save, options.replayFile, err)) return 1;

  FrameFiles frames(options.framesDir);
  try {
    SessionOptions so;
    so.seed = seed;
    so.language = options.language ? *options.language : replay->language.value_or(Language::Japanese);
    so.screen = &frames;
    so.trace = trace.Stream();
    // Set, every frame is drawn both ways and compared: the check that drawing only what
    // changed leaves the same picture.
    const char* check = std::getenv("VEXA_CHECK_FRAMES");
    so.checkFrames = check && *check && std::string_view(check) != "0";
    StartedSession started = StartSession(so);
    Session& session = *started.session;
    if (!started.notice.empty()) err << "vexa: " << started.notice << '\n';
    // Each event before the step it names, as the window posts them between its steps.
    std::size_t next = 0;
    const std::vector<ReplayEvent>& events = replay->events;
    while (session.StepsRun() < steps) {
      while (next < events.size() && events[next].step == session.StepsRun())
        session.Post(MouseEventOf(events[next++]));
      session.Step();
    }
  } catch (const std::exception& e) {
    trace.Flush();
    err << "vexa: " << e.what() << '\n';
    return 1;
  }
  return trace.Finish(err) ? 0 : 1;
}

}  // namespace vexa
