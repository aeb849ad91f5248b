#pragma once
// The window game's run, the same on every platform with a window: the outputs opened first,
// the window and the language as the player left them, the session, the sound, the steps
// until the window closes, then the recording and the window as the player leaves it. Each
// platform gives its window and sound types, and the two functions declared here.
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "lib/BrixBmp.h"
#include "lib/BrixTimer.h"
#include "lib/BrixWave.h"
#include "lib/Language.h"
#include "platform/shared/WindowOptions.h"
#include "session/CommandLine.h"
#include "session/GameStart.h"
#include "session/RenamedFile.h"
#include "session/Session.h"
#include "session/Trace.h"
#include "session/WindowSettings.h"

namespace vexa {

// Given by each platform: the language the system's own settings ask for.
Language SystemLanguage();

// The window, with the first frame stamped when a benchmark asks for it.
class StampedScreen : public PaintBox {
 public:
  explicit StampedScreen(PaintBox& window) : window_(window) {}
  void Show(const TBrixBitmap& frame, const FrameDamage& damage) override;

 private:
  PaintBox& window_;
  bool first_ = true;
};

WindowOptions ChooseWindow(const Options& options, const WindowSettings& remembered, std::ostream& err);
std::vector<std::string> SoundFiles();
bool OpenOutputs(const Options& options, TraceOutput& trace, RenamedFile& recordFile, std::ostream& err);
SessionOptions WindowSession(const Options& options, const WindowSettings& remembered, FormWindow& window,
                             PaintBox& screen, TraceOutput& trace);
int FinishWindowGame(const Session& session, WindowSettings leftAs, RenamedFile& recordFile, int status,
                     std::ostream& err);
// The folders made ready for the window game; a player who started it from a menu sees no
// terminal, so what stops it before its window opens is shown in a box as well.
bool PrepareWindowGame(Options& options, const char* program, std::ostream& err);
// Said once, and in a box when `boxed`.
void TellStartError(const std::string& what, bool boxed, std::ostream& err);

// Steps until the window is closed. An error inside a step stops the steps for good: the
// player is told, in a box when one can be shown, and can still close the window.
template <class Window>
int PlayWindowGame(Window& window, std::ostream& err) {
  try {
    TBrixTimer::RunLoop();
    return 0;
  } catch (const std::exception& e) {
    err << "vexa: the game stopped: " << e.what() << '\n';
    window.SetSession(nullptr);
    // Without a box to say why, a window left standing would only sit there blank.
    if (window.ShowErrorBox(StopMessage(e))) window.WaitUntilClosed();
    return 1;
  }
}

// `boxWhenNoWindow`: whether a window that cannot open is said in a box too (a system whose
// boxes do not need the window's own library).
template <class Window, class Sound>
int RunWindowGameOn(const Options& options, bool boxWhenNoWindow, std::ostream& err) {
  TraceOutput trace;
  RenamedFile recordFile;
  if (!OpenOutputs(options, trace, recordFile, err)) return 1;

  std::optional<Sound> sound;
  struct Unhook {
    ~Unhook() {
      TBrixTimer::SetHost(nullptr);
      TBrixWave::SetOutput(nullptr);
    }
  } unhook;
  const WindowSettings remembered = ReadWindowSettings(WindowSettingsPath(), WindowSettings{});
  std::unique_ptr<Window> window;
  try {
    window = std::make_unique<Window>(ChooseWindow(options, remembered, err));
  } catch (const PlatformError& e) {
    TellStartError(e.what(), boxWhenNoWindow, err);
    return 1;
  }
  if (!window->Notice().empty()) err << "vexa: " << window->Notice() << '\n';
  TBrixTimer::SetHost(window.get());

  StampedScreen screen(*window);
  StartedSession started;
  try {
    started = StartSession(WindowSession(options, remembered, *window, screen, trace));
  } catch (const std::exception& e) {
    TellStartError(e.what(), true, err);
    return 1;
  }
  Session& session = *started.session;
  if (!started.notice.empty()) err << "vexa: " << started.notice << '\n';
  window->SetSession(&session);
  window->ShowWindow();
  // The timer runs the first step 50 ms after the form's creation: the sound device is made
  // ready in that wait, as the font was.
  sound.emplace(options.mute, err);
  sound->Preload(SoundFiles(), err);
  TBrixWave::SetOutput(&*sound);

  int status = PlayWindowGame(*window, err);
  trace.Flush();
  status = FinishWindowGame(session, WindowSettings{window->Scale(), window->Fullscreen(), session.Game().language},
                            recordFile, status, err);
  window->SetSession(nullptr);
  started.session.reset();
  TBrixTimer::Clear();
  sound->StopAll();
  return status;
}

}  // namespace vexa
