// The page's game: the desktop's Session stepped by the same scheduler, fed the page's
// clock, in a worker of the page's; the frame goes to the canvas, the sounds to the page's
// WebAudio and the save to IndexedDB (game.js holds the browser's side of each).
#include <emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "record/GameRecord.h"
#include "record/UnitData.h"
#include "lib/BrixTimer.h"
#include "lib/BrixWave.h"
#include "lib/GamePaths.h"
#include "lib/FrameChecksum.h"
#include "lib/Random.h"
#include "platform/posix/FileChanges.h"
#include "platform/web/PageCanvas.h"
#include "platform/captured/CapturedText.h"
#include "session/CommandLine.h"
#include "session/GameStart.h"
#include "session/Session.h"
#include "session/Trace.h"

// The browser's side, in game.js.
EM_JS(void, PageSay, (const char* text, int isError), { VexaPage.say(UTF8ToString(text), isError !== 0); });
EM_JS(void, PagePlay, (const char* path, int loop), { VexaPage.play(UTF8ToString(path), loop !== 0); });
EM_JS(void, PageStopSound, (), { VexaPage.stopSound(); });
EM_JS(void, PageStoreSave, (), { VexaPage.storeSave(); });
EM_JS(void, PageSchedule, (int ms), { VexaPage.schedule(ms); });
EM_JS(void, PageStarted, (), { VexaPage.started(); });
// The next piece of the start-up as a task of its own, once the page has given the game its
// canvas (emscripten_async_call would bring in emscripten's whole browser library, 20 KB of
// script, for one timer).
EM_JS(void, PageStartGameNext, (), { VexaPage.startGame(); });
// The page chooses the language before the game starts; it holds for the whole run.
EM_JS(int, PageEnglish, (), { return VexaPage.language() === "en" ? 1 : 0; });

namespace vexa {

namespace {

// Where IndexedDB's copy of the save lives; page.js mounts it before the game starts.
constexpr const char* kSaveFolder = "/save";
constexpr const char* StartPrefix = "The game cannot start: ";

class PageClock : public TimerHost {
 public:
  std::int32_t Now() override {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(std::floor(emscripten_get_now())) & 0x7FFFFFFF);
  }
  // Events arrive through page.js's listeners, and the page never blocks.
  void DispatchEvents() override {}
  bool Terminated() override { return false; }
  void Wait(std::int32_t) override {}
};

class PageSound : public SoundOutput {
 public:
  void Play(const std::string& nativePath, bool loop) override { PagePlay(nativePath.c_str(), loop ? 1 : 0); }
  void StopAll() override { PageStopSound(); }
};

struct Page {
  PageClock clock;
  PageCanvas canvas;
  PageSound sound;
  std::unique_ptr<Session> session;
  // The file changes IndexedDB's copy has seen: a step that changed none stores nothing.
  std::uint64_t stored = 0;
  bool stopped = false;
  // Steps run only while the player is there: from the first click on, and not while the
  // page is hidden. page.js decides; a pass booked before a pause finds this false.
  bool running = false;
};

Page& ThePage() {
  static Page page;
  return page;
}

void StoreWhenChanged() {
  Page& page = ThePage();
  if (FileChangesMade() == page.stored) return;
  page.stored = FileChangesMade();
  PageStoreSave();
}

// Stops the steps for good with one line on the page; the page itself stays usable.
void Stop(const std::string& why) {
  Page& page = ThePage();
  page.stopped = true;
  TBrixTimer::Clear();
  PageSay(why.c_str(), 1);
}

// Every entry from the page into the game comes through here: whatever a step, a mouse event
// or the start throws ends the steps with one line, never a bare exception in the browser.
template <class Body>
void Guarded(const char* prefix, Body&& body) {
  if (ThePage().stopped) return;
  try {
    body();
  } catch (const std::exception& e) {
    Stop(prefix + std::string(e.what()));
  } catch (...) {
    Stop(prefix + std::string("an unknown error."));
  }
}

// One pass of the scheduler; the next is booked while the game runs.
void Pass() {
  Page& page = ThePage();
  if (!page.running) return;
  const std::int32_t wait = TBrixTimer::RunPass();
  StoreWhenChanged();
  PageSchedule(wait);
}

// The start-up runs in pieces, each a task of its own, so the worker hears the page between
// them (the canvas and the language come as a message): the files and the glyphs, then the game
// (its pictures and the save, vexa_start_game). The store was read before main (game.js).
void StartFiles() {
  SetGlyphFile("/game/glyphs.bin");
  // emscripten's libc starts with a umask of 0777, so a new save.dat would get no permissions
  // at all and could not be read back; a desktop session's usual mask instead.
  ::umask(022);
  SetDataFolder("/game");
  if (::chdir(kSaveFolder) != 0) throw std::runtime_error("its save folder is missing.");
  for (const char* name : GameDataFiles) {
    struct stat info {};
    if (::stat(NativePath(name).c_str(), &info) != 0)
      throw std::runtime_error("its file " + NativePath(name) + " is missing.");
  }
  try {
    LoadGlyphFile();
  } catch (const std::exception&) {
    // As on the desktop: the first step that draws text stops the game and says why.
  }
  PageStartGameNext();
}

void StartGame() {
  Page& page = ThePage();
  if (page.session) return;
  TBrixTimer::SetHost(&page.clock);
  TBrixWave::SetOutput(&page.sound);
  SessionOptions so;
  so.seed = SeedFromClock();
  so.language = PageEnglish() ? Language::English : Language::Japanese;
  so.screen = &page.canvas;
  so.onScheduler = true;
  StartedSession started = StartSession(so);
  page.session = std::move(started.session);
  if (!started.notice.empty()) PageSay(started.notice.c_str(), 0);
  page.stored = FileChangesMade();
  // No step yet: the scheduler starts on the player's first click (vexa_go).
  PageStarted();
}

}  // namespace

}  // namespace vexa

extern "C" {

EMSCRIPTEN_KEEPALIVE void vexa_start_game() { vexa::Guarded(vexa::StartPrefix, vexa::StartGame); }

// Runs one pass of the scheduler and books the next.
EMSCRIPTEN_KEEPALIVE void vexa_pass() { vexa::Guarded(vexa::StopPrefix, vexa::Pass); }

// The player is there (the first click, or a click after a pause): the steps run from now.
// The first pass is a task of its own, so the click stays short (the first step, its code
// still cold, can take tens of milliseconds). Nothing catches up on the time away: the
// scheduler runs a due step once.
EMSCRIPTEN_KEEPALIVE void vexa_go() {
  vexa::Page& page = vexa::ThePage();
  if (!page.session || page.running || page.stopped) return;
  page.running = true;
  PageSchedule(0);
}

// The page is hidden: no step runs until vexa_go.
EMSCRIPTEN_KEEPALIVE void vexa_pause() { vexa::ThePage().running = false; }

EMSCRIPTEN_KEEPALIVE int vexa_running() { return vexa::ThePage().running ? 1 : 0; }

// Mouse events in game pixels; `kind` 0 down, 1 move, 2 up; `button` 0 left, 1 right, 2 middle;
// `held` the buttons held after the event (1 left, 2 right, 4 middle).
EMSCRIPTEN_KEEPALIVE void vexa_mouse(int kind, int button, int held, int x, int y) {
  vexa::Page& page = vexa::ThePage();
  if (!page.session || !page.running) return;
  const vexa::ShiftState shift{(held & 1) != 0, (held & 2) != 0, (held & 4) != 0};
  const auto which = button == 1 ? vexa::MouseButton::Right : button == 2 ? vexa::MouseButton::Middle
                                                                          : vexa::MouseButton::Left;
  const auto how = kind == 0 ? vexa::MouseEventKind::Down : kind == 1 ? vexa::MouseEventKind::Move
                                                                      : vexa::MouseEventKind::Up;
  vexa::Guarded(vexa::StopPrefix, [&] { page.session->Post(vexa::MouseEvent{how, which, shift, x, y}); });
}

// The message panel's newest line (the chosen command's prompt among them), for the page's
// text for screen readers.
EMSCRIPTEN_KEEPALIVE const char* vexa_newest_line() {
  vexa::Page& page = vexa::ThePage();
  if (!page.session) return "";
  const vexa::MessageLog& log = page.session->Game().messageLog;
  if (log.count <= 0 || log.count > vexa::LogCapacity) return "";
  return log.lines[static_cast<std::size_t>(log.count - 1)].c_str();
}

// For the page's tests: the checksum the trace gives the frame last composed, and the steps.
EMSCRIPTEN_KEEPALIVE unsigned vexa_frame_checksum() {
  vexa::Page& page = vexa::ThePage();
  if (!page.session || !page.session->Game().backbuffer) return 0;
  return vexa::FrameCrc(*page.session->Game().backbuffer);
}

// The game's state as the trace writes it, for the page's tests to follow the game.
EMSCRIPTEN_KEEPALIVE const char* vexa_state() {
  static std::string record;
  vexa::Page& page = vexa::ThePage();
  record = page.session ? vexa::TraceRecord(page.session->StepsRun(), page.session->Game(), vexa::Journal{}) : "{}";
  return record.c_str();
}

// The report's file name, beside the save; the page downloads it under that name.
EMSCRIPTEN_KEEPALIVE const char* vexa_report_name() { return vexa::ReportFileName; }
EMSCRIPTEN_KEEPALIVE int vexa_english() {
  vexa::Page& page = vexa::ThePage();
  return page.session && page.session->Game().language == vexa::Language::English ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE double vexa_steps() {
  vexa::Page& page = vexa::ThePage();
  return page.session ? static_cast<double>(page.session->StepsRun()) : 0.0;
}

}  // extern "C"

int main() {
  vexa::Guarded(vexa::StartPrefix, vexa::StartFiles);
  return 0;
}
