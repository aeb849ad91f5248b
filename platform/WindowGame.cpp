#include "platform/WindowGame.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "record/GameRecord.h"
#include "lib/BrixSaveLoad.h"
#include "lib/BrixTimer.h"
#include "lib/BrixWave.h"
#include "lib/GamePaths.h"
#include "lib/Random.h"
#include "platform/SdlAudio.h"
#include "platform/SdlWindow.h"
#include "session/RenamedFile.h"
#include "session/Session.h"
#include "session/Trace.h"
#include "session/WindowSettings.h"

namespace vexa {

namespace {

// The window, with the first frame stamped when a benchmark asks for it.
class StampedScreen : public PaintBox {
 public:
  explicit StampedScreen(PaintBox& window) : window_(window) {}
  void Show(const TBrixBitmap& frame, const FrameDamage& damage) override {
    window_.Show(frame, damage);
    if (first_ && std::getenv("VEXA_FIRST_FRAME_STAMP")) {
      const auto now = std::chrono::system_clock::now().time_since_epoch();
      // With the process's CPU time so far, which unlike the wall time is not at the mercy of
      // a busy machine.
      std::fprintf(stderr, "first frame %.6f cpu %.1f ms\n", std::chrono::duration<double>(now).count(),
                   1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC);
    }
    first_ = false;
  }

 private:
  PaintBox& window_;
  bool first_ = true;
};

// The window as the player left it last time, unless the command line says otherwise.
WindowOptions ChooseWindow(const Options& options, std::ostream& err) {
  const WindowSettings remembered = ReadWindowSettings(WindowSettingsPath(), WindowSettings{});
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

// Steps until the window is closed. An error inside a step stops the steps for good: the
// player is told, in a box when one can be shown, and can still close the window.
int Play(SdlWindow& window, std::ostream& err) {
  try {
    TBrixTimer::RunLoop();
    return 0;
  } catch (const std::exception& e) {
    err << "vexa: the game stopped: " << e.what() << '\n';
    window.SetMouseTarget(nullptr);
    // Without a box to say why, a window left standing would only sit there blank.
    if (window.ShowErrorBox(std::string("The game stopped because of an internal error:\n") + e.what()))
      window.WaitUntilClosed();
    return 1;
  }
}

}  // namespace

int RunWindowGame(const Options& options, std::ostream& err) {
  // Both files are opened before the window, so a path that cannot be written is said at
  // once instead of losing a whole game's recording when the window closes. The recording
  // goes to a file beside its name until the game ends, so an earlier one is never emptied.
  TraceOutput trace;
  if (!trace.Open(options.replay.traceFile, err)) return 1;
  RenamedFile recordFile;
  if (!options.recordFile.empty() && !recordFile.Open(options.recordFile, "the replay", err)) return 1;

  std::optional<SdlAudio> audio;
  struct Unhook {
    ~Unhook() {
      TBrixTimer::SetHost(nullptr);
      TBrixWave::SetOutput(nullptr);
    }
  } unhook;
  std::unique_ptr<SdlWindow> window;
  try {
    window = std::make_unique<SdlWindow>(ChooseWindow(options, err));
  } catch (const PlatformError& e) {
    err << "vexa: " << e.what() << '\n';
    return 1;
  }
  if (!window->Notice().empty()) err << "vexa: " << window->Notice() << '\n';
  TBrixTimer::SetHost(window.get());

  StampedScreen screen(*window);
  std::unique_ptr<Session> session;
  try {
    SessionOptions so;
    so.seed = SeedFromClock();
    so.window = window.get();
    so.screen = &screen;
    so.trace = trace.Stream();
    so.onScheduler = true;
    if (!options.recordFile.empty()) so.recordFrom = TBrixSaveLoad::ReadImage();
    session = std::make_unique<Session>(so);
  } catch (const std::exception& e) {
    err << "vexa: " << e.what() << '\n';
    ShowStartErrorBox(e.what());
    return 1;
  }
  TellDamagedSave(session->Game(), err);
  window->SetMouseTarget(&session->Mouse());

  window->ShowWindow();
  // The timer runs the first step 50 ms after the form's creation, and nothing before it
  // needs the font or the sound device: both are made ready in that wait, not before it.
  LoadFontEarly(session->Game());
  audio.emplace(options.mute, err);
  audio->Preload(SoundFiles(), err);
  TBrixWave::SetOutput(&*audio);

  int status = Play(*window, err);
  trace.Flush();
  if (session->Recording()) {
    session->Recording()->WriteTo(recordFile.Stream());
    if (!recordFile.Finish(err)) status = 1;
  }
  WriteWindowSettings(WindowSettingsPath(), WindowSettings{window->Scale(), window->Fullscreen()});
  session.reset();
  TBrixTimer::Clear();
  audio->StopAll();
  return status;
}

}  // namespace vexa
