#include "platform/shared/WindowGameRun.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string_view>

#include "lib/BrixSaveLoad.h"
#include "lib/GamePaths.h"
#include "lib/Random.h"
#include "record/GameRecord.h"

namespace vexa {

void StampedScreen::Show(const TBrixBitmap& frame, const FrameDamage& damage) {
  window_.Show(frame, damage);
  if (first_ && std::getenv("VEXA_FIRST_FRAME_STAMP")) {
    // With the process's CPU time so far, which unlike the wall time is not at the mercy of
    // a busy machine.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::fprintf(stderr, "first frame %.6f cpu %.1f ms\n", std::chrono::duration<double>(now).count(),
                 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC);
  }
  first_ = false;
}

// The window as the player left it last time, unless the command line says otherwise.
WindowOptions ChooseWindow(const Options& options, const WindowSettings& remembered, std::ostream& err) {
  WindowOptions wo;
  wo.fitScreen = true;
  wo.scale = options.scaleGiven ? options.scale : remembered.scale;
  wo.fullscreen = options.fullscreenGiven ? options.fullscreen : !options.scaleGiven && remembered.fullscreen;
  if (options.scaleGiven && options.fullscreenGiven && options.fullscreen)
    err << "vexa: --fullscreen wins over --scale, whose scale is used once full screen is left (F11)\n";
  return wo;
}

std::vector<std::string> SoundFiles() {
  std::vector<std::string> sounds;
  for (const char* name : GameDataFiles)
    if (std::string_view(name).ends_with(".wav")) sounds.push_back(NativePath(name));
  return sounds;
}

// Opened before the window, so a path that cannot be written is said at once instead of
// losing a whole game's recording when the window closes. The recording goes to a file
// beside its name until the game ends, so an earlier one is never emptied.
bool OpenOutputs(const Options& options, TraceOutput& trace, RenamedFile& recordFile, std::ostream& err) {
  if (!trace.Open(options.replay.traceFile, err)) return false;
  return options.recordFile.empty() || recordFile.Open(options.recordFile, "the replay", err);
}

// The command line's language, else the one of the last game, else the system's.
SessionOptions WindowSession(const Options& options, const WindowSettings& remembered, FormWindow& window,
                             PaintBox& screen, TraceOutput& trace) {
  SessionOptions so;
  so.seed = SeedFromClock();
  so.language = options.language ? *options.language : remembered.language ? *remembered.language : SystemLanguage();
  so.window = &window;
  so.screen = &screen;
  so.trace = trace.Stream();
  so.onScheduler = true;
  if (!options.recordFile.empty()) so.recordFrom = TBrixSaveLoad::ReadImage();
  return so;
}

// After the last step: the recording, and the window as the player leaves it.
int FinishWindowGame(const Session& session, WindowSettings leftAs, RenamedFile& recordFile, int status,
                     std::ostream& err) {
  if (session.Recording()) {
    session.Recording()->WriteTo(recordFile.Stream());
    if (!recordFile.Finish(err)) status = 1;
  }
  WriteWindowSettings(WindowSettingsPath(), leftAs);
  return status;
}

bool PrepareWindowGame(Options& options, const char* program, std::ostream& err) {
  std::ostringstream said;
  const bool ready = PrepareFolders(options, program, said);
  err << said.str();
  if (ready) return true;
  std::string text = said.str();
  if (text.rfind("vexa: ", 0) == 0) text.erase(0, 6);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  ShowStartErrorBox(text);
  return false;
}

void TellStartError(const std::string& what, bool boxed, std::ostream& err) {
  err << "vexa: " << what << '\n';
  if (boxed) ShowStartErrorBox(what);
}

}  // namespace vexa
