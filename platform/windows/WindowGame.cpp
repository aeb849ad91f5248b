#include "platform/windows/WindowGame.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "lib/BrixSaveLoad.h"
#include "lib/BrixTimer.h"
#include "lib/BrixWave.h"
#include "lib/GamePaths.h"
#include "lib/Random.h"
#include "platform/windows/GameWindow.h"
#include "platform/windows/WaveSound.h"
#include "record/GameRecord.h"
#include "session/GameStart.h"
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
WindowOptions ChooseWindow(const Options& options, const WindowSettings& remembered, std::ostream& err) {
  WindowOptions wo;
  wo.fitScreen = true;
  wo.scale = options.scaleGiven ? options.scale : remembered.scale;
  wo.fullscreen = options.fullscreenGiven ? options.fullscreen : !options.scaleGiven && remembered.fullscreen;
  if (options.scaleGiven && options.fullscreenGiven && options.fullscreen)
    err << "vexa: --fullscreen wins over --scale, whose scale is used once full screen is left (F11)\n";
  return wo;
}

// The command line's language, else the one of the last game, else the one Windows shows.
Language ChooseLanguage(const Options& options, const WindowSettings& remembered) {
  if (options.language) return *options.language;
  if (remembered.language) return *remembered.language;
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::Japanese : Language::English;
}

std::vector<std::string> SoundFiles() {
  std::vector<std::string> sounds;
  for (const char* name : GameDataFiles)
    if (std::string_view(name).ends_with(".wav")) sounds.push_back(NativePath(name));
  return sounds;
}

// Steps until the window is closed. An error inside a step stops the steps for good: the
// player is told in a box and can still close the window.
int Play(GameWindow& window, std::ostream& err) {
  try {
    TBrixTimer::RunLoop();
    return 0;
  } catch (const std::exception& e) {
    err << "vexa: the game stopped: " << e.what() << '\n';
    window.SetSession(nullptr);
    if (window.ShowErrorBox(StopMessage(e))) window.WaitUntilClosed();
    return 1;
  }
}

// Opened before the window, so a path that cannot be written is said at once instead of
// losing a whole game's recording when the window closes.
bool OpenOutputs(const Options& options, TraceOutput& trace, RenamedFile& recordFile, std::ostream& err) {
  if (!trace.Open(options.replay.traceFile, err)) return false;
  return options.recordFile.empty() || recordFile.Open(options.recordFile, "the replay", err);
}

std::unique_ptr<GameWindow> OpenWindow(const Options& options, const WindowSettings& remembered, std::ostream& err) {
  try {
    auto window = std::make_unique<GameWindow>(ChooseWindow(options, remembered, err));
    if (!window->Notice().empty()) err << "vexa: " << window->Notice() << '\n';
    return window;
  } catch (const PlatformError& e) {
    err << "vexa: " << e.what() << '\n';
    ShowStartErrorBox(e.what());
    return nullptr;
  }
}

SessionOptions WindowSession(const Options& options, const WindowSettings& remembered, GameWindow& window,
                             PaintBox& screen, TraceOutput& trace) {
  SessionOptions so;
  so.seed = SeedFromClock();
  so.language = ChooseLanguage(options, remembered);
  so.window = &window;
  so.screen = &screen;
  so.trace = trace.Stream();
  so.onScheduler = true;
  if (!options.recordFile.empty()) so.recordFrom = TBrixSaveLoad::ReadImage();
  return so;
}

// After the last step: the recording, and the window as the player leaves it.
int Finish(const Session& session, const GameWindow& window, RenamedFile& recordFile, int status, std::ostream& err) {
  if (session.Recording()) {
    session.Recording()->WriteTo(recordFile.Stream());
    if (!recordFile.Finish(err)) status = 1;
  }
  WriteWindowSettings(WindowSettingsPath(), WindowSettings{window.Scale(), window.Fullscreen(), session.Game().language});
  return status;
}

}  // namespace

int RunWindowGame(const Options& options, std::ostream& err) {
  TraceOutput trace;
  RenamedFile recordFile;
  if (!OpenOutputs(options, trace, recordFile, err)) return 1;

  std::optional<WaveSound> sound;
  struct Unhook {
    ~Unhook() {
      TBrixTimer::SetHost(nullptr);
      TBrixWave::SetOutput(nullptr);
    }
  } unhook;
  const WindowSettings remembered = ReadWindowSettings(WindowSettingsPath(), WindowSettings{});
  std::unique_ptr<GameWindow> window = OpenWindow(options, remembered, err);
  if (!window) return 1;
  TBrixTimer::SetHost(window.get());

  StampedScreen screen(*window);
  StartedSession started;
  try {
    started = StartSession(WindowSession(options, remembered, *window, screen, trace));
  } catch (const std::exception& e) {
    err << "vexa: " << e.what() << '\n';
    ShowStartErrorBox(e.what());
    return 1;
  }
  Session& session = *started.session;
  if (!started.notice.empty()) err << "vexa: " << started.notice << '\n';
  window->SetSession(&session);
  window->ShowWindow();
  // The first step comes 50 ms after the form's creation: the sounds are read in that wait.
  sound.emplace(options.mute, err);
  sound->Preload(SoundFiles(), err);
  TBrixWave::SetOutput(&*sound);

  int status = Play(*window, err);
  trace.Flush();
  status = Finish(session, *window, recordFile, status, err);
  window->SetSession(nullptr);
  started.session.reset();
  TBrixTimer::Clear();
  sound->StopAll();
  return status;
}

}  // namespace vexa
