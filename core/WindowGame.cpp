#include "core/WindowGame.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Recorder.h"
#include "core/Replay.h"
#include "core/GameFiles.h"
#include "core/UnitForm.h"
#include "core/WindowSettings.h"
#include "lib/BrixSaveLoad.h"
#include "lib/BrixTimer.h"
#include "lib/BrixWave.h"
#include "lib/FontFace.h"
#include "lib/GamePaths.h"
#include "lib/Random.h"
#include "platform/SdlAudio.h"
#include "platform/SdlWindow.h"

namespace vexa {

namespace {

// Every step ends by presenting its frame, so presents count the steps for the recorder;
// the first one is stamped when a benchmark asks for it.
class Presenter : public PaintBox {
 public:
  Presenter(PaintBox& window, const GameState& g, std::ostream* trace, Journal* journal)
      : window_(window), g_(g), trace_(trace), journal_(journal) {}
  void SetRecorder(Recorder* recorder) { recorder_ = recorder; }
  void Show(const TBrixBitmap& frame) override {
    window_.Show(frame);
    if (recorder_) recorder_->StepDone();
    if (trace_) {
      *trace_ << TraceRecord(step_, g_, *journal_) << '\n';
      *journal_ = Journal{};
    }
    ++step_;
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
  Recorder* recorder_ = nullptr;
  const GameState& g_;
  std::ostream* trace_;
  Journal* journal_;
  std::int64_t step_ = 0;
  bool first_ = true;
};

// The first step would load the font (fontconfig's configuration, then the face); done
// here it fills the wait for that step, which the timer counts from the form's creation.
void LoadFontEarly(const GameState& g) {
  if (!g.backbuffer) return;
  TextLayout layout;
  try {
    LayOutText(g.backbuffer->FontName(), g.backbuffer->FontSize(), g.backbuffer->FontStyle(), " ", layout);
  } catch (const std::exception&) {
    // Without a font the first step that draws text stops the game and says why.
  }
}

}  // namespace

int RunWindowGame(const Options& options, std::ostream& err) {
  // Both files are opened before the window, so a path that cannot be written is said at
  // once instead of losing a whole game's recording when the window closes.
  std::ofstream traceFile, recordFile;
  std::ostream* trace = nullptr;
  if (options.replay.traceFile == "-") {
    trace = &std::cout;
  } else if (!options.replay.traceFile.empty()) {
    traceFile.open(options.replay.traceFile, std::ios::binary | std::ios::trunc);
    if (!traceFile) {
      err << "vexa: cannot write the trace " << options.replay.traceFile << '\n';
      return 2;
    }
    trace = &traceFile;
  }
  if (!options.recordFile.empty()) {
    recordFile.open(options.recordFile, std::ios::binary | std::ios::trunc);
    if (!recordFile) {
      err << "vexa: cannot write the replay " << options.recordFile << '\n';
      return 2;
    }
  }

  std::optional<SdlAudio> audio;
  struct Unhook {
    ~Unhook() {
      TBrixTimer::SetHost(nullptr);
      TBrixWave::SetOutput(nullptr);
    }
  } unhook;

  // The window as the player left it last time, unless the command line says otherwise.
  const WindowSettings remembered = ReadWindowSettings(WindowSettingsPath(), WindowSettings{});
  WindowOptions wo;
  wo.fitScreen = true;
  wo.scale = options.scaleGiven ? options.scale : remembered.scale;
  wo.fullscreen = options.fullscreenGiven ? options.fullscreen : !options.scaleGiven && remembered.fullscreen;
  if (options.scaleGiven && options.fullscreenGiven && options.fullscreen)
    err << "vexa: --fullscreen wins over --scale, whose scale is used once full screen is left (F11)\n";
  std::unique_ptr<SdlWindow> window;
  try {
    window = std::make_unique<SdlWindow>(wo);
  } catch (const PlatformError& e) {
    err << "vexa: " << e.what() << '\n';
    return 1;
  }
  if (!window->Notice().empty()) err << "vexa: " << window->Notice() << '\n';
  TBrixTimer::SetHost(window.get());

  const std::uint32_t seed = SeedFromClock();
  auto g = std::make_unique<GameState>();
  Journal journal;
  if (trace) AttachJournal(&journal);
  struct Detach {
    ~Detach() { AttachJournal(nullptr); }
  } detach;
  std::optional<Recorder> recorder;
  std::unique_ptr<TFormMain> form;
  Presenter presenter(*window, *g, trace, &journal);
  try {
    SaveImage startSave = TBrixSaveLoad::ReadImage();
    form = std::make_unique<TFormMain>(*g, window.get(), &presenter, seed);
    TellDamagedSave(*g, err);
    if (!options.recordFile.empty()) {
      recorder.emplace(*form, seed, std::move(startSave));
      presenter.SetRecorder(&*recorder);
      window->SetMouseTarget(&*recorder);
    } else {
      window->SetMouseTarget(form.get());
    }
  } catch (const std::exception& e) {
    err << "vexa: " << e.what() << '\n';
    ShowStartErrorBox(e.what());
    return 1;
  }

  window->ShowWindow();
  // The timer runs the first step 50 ms after the form's creation, and nothing before it
  // needs the font or the sound device: both are made ready in that wait, not before it.
  LoadFontEarly(*g);
  audio.emplace(options.mute, err);
  std::vector<std::string> sounds;
  for (const char* name : GameDataFiles)
    if (std::string_view(name).ends_with(".wav")) sounds.push_back(NativePath(name));
  audio->Preload(sounds, err);
  TBrixWave::SetOutput(&*audio);
  int status = 0;
  try {
    TBrixTimer::RunLoop();
  } catch (const std::exception& e) {
    // The steps stop for good, but the player is told and can still close the window.
    err << "vexa: the game stopped: " << e.what() << '\n';
    window->SetMouseTarget(nullptr);
    // Without a box to say why, a window left standing would only sit there blank.
    if (window->ShowErrorBox(std::string("The game stopped because of an internal error:\n") + e.what()))
      window->WaitUntilClosed();
    status = 1;
  }
  if (trace) trace->flush();
  if (recorder && !recorder->WriteTo(recordFile)) {
    err << "vexa: cannot write the replay " << options.recordFile << '\n';
    status = 1;
  }
  WriteWindowSettings(WindowSettingsPath(), WindowSettings{window->Scale(), window->Fullscreen()});
  form.reset();
  TBrixTimer::Clear();
  audio->StopAll();
  return status;
}

}  // namespace vexa
