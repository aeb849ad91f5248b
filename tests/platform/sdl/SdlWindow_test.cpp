#include "platform/sdl/SdlWindow.h"

#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "session/Session.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;

// Restores the variables a test cleared or changed.
class Environment {
 public:
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
  }
  void Set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// SDL's display-less video driver: a real window, window surface and event queue, no screen.
class Window : public ::testing::Test {
 protected:
  Window() { setenv("SDL_VIDEODRIVER", "dummy", 1); }

  std::unique_ptr<SdlWindow> Open(std::int32_t scale, bool fullscreen = false) {
    WindowOptions options;
    options.scale = scale;
    options.fullscreen = fullscreen;
    auto window = std::make_unique<SdlWindow>(options);
    window->SetClientSize(600, 450);
    if (!session) {
      SessionOptions so;
      so.recordFrom = SaveImage{};
      session = std::make_unique<Session>(so);
    }
    window->SetSession(session.get());
    window->ShowWindow();
    return window;
  }

  void Button(const SdlWindow& w, bool down, std::uint8_t button, int x, int y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = SDL_GetWindowID(w.NativeWindow());
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
  }
  void Motion(const SdlWindow& w, std::uint32_t held, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = SDL_GetWindowID(w.NativeWindow());
    e.motion.state = held;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
  }
  // The colour the window shows at window pixel (x, y).
  static SDL_Color PixelAt(const SdlWindow& w, int x, int y) {
    SDL_Surface* s = SDL_GetWindowSurface(w.NativeWindow());
    EXPECT_TRUE(s && x >= 0 && y >= 0 && x < s->w && y < s->h) << x << "," << y;
    if (!s || x < 0 || y < 0 || x >= s->w || y >= s->h) return SDL_Color{};
    Uint32 texel = 0;
    std::memcpy(&texel, static_cast<const char*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel,
                s->format->BytesPerPixel);
    SDL_Color c{0, 0, 0, 255};
    SDL_GetRGB(texel, s->format, &c.r, &c.g, &c.b);
    return c;
  }
  static std::string Hex(SDL_Color c) {
    char s[8];
    std::snprintf(s, sizeof s, "%02x%02x%02x", c.r, c.g, c.b);
    return s;
  }

  // The events the window posted to the session, as its recording keeps them.
  std::vector<std::string> Posted() const {
    std::istringstream in(session->Recording()->Text());
    std::vector<std::string> events;
    bool past = false;
    for (std::string line; std::getline(in, line);) {
      if (past) events.push_back(line);
      past = past || line.starts_with("# step");
    }
    return events;
  }

  test::TempFolder folder;  // the session's save.dat
  std::unique_ptr<Session> session;
};

TEST_F(Window, TheClientAreaIsTheGameTimesTheScale) {
  for (std::int32_t scale : {1, 2, 3}) {
    auto w = Open(scale);
    int width = 0, height = 0;
    SDL_GetWindowSize(w->NativeWindow(), &width, &height);
    EXPECT_EQ(width, 600 * scale);
    EXPECT_EQ(height, 450 * scale);
    EXPECT_STREQ(SDL_GetWindowTitle(w->NativeWindow()), "V.E.X.A.");
    const std::uint32_t flags = SDL_GetWindowFlags(w->NativeWindow());
    EXPECT_TRUE(flags & SDL_WINDOW_RESIZABLE);  // resized, the game stays whole at a whole scale
    std::int32_t outerW = 0, outerH = 0;
    w->OuterSize(outerW, outerH);  // no window manager, so no frame
    EXPECT_EQ(outerW, 600 * scale);
    EXPECT_EQ(outerH, 450 * scale);
  }
}

TEST_F(Window, AutoScaleFollowsTheDisplay) {
  SDL_InitSubSystem(SDL_INIT_VIDEO);
  SDL_DisplayMode mode{};
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0);
  auto w = Open(0);
  EXPECT_EQ(w->Scale(), AutoScale(mode.w, mode.h, 600, 450));
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(Window, MouseEventsArePostedInGamePixelsWithTheHeldButtons) {
  auto w = Open(2);
  Button(*w, true, SDL_BUTTON_RIGHT, 201, 101);
  Motion(*w, SDL_BUTTON_RMASK, -3, 50);  // dragged off the left edge
  Button(*w, true, SDL_BUTTON_LEFT, -3, 50);
  Button(*w, false, SDL_BUTTON_RIGHT, 1300, 950);  // released right of the window
  Motion(*w, SDL_BUTTON_LMASK, 1199, 899);
  Button(*w, false, SDL_BUTTON_LEFT, 1199, 899);
  Button(*w, true, SDL_BUTTON_MIDDLE, 0, 0);
  Button(*w, true, SDL_BUTTON_X1, 10, 10);  // side buttons are not the form's business
  Button(*w, false, SDL_BUTTON_X1, 10, 10);
  Button(*w, false, SDL_BUTTON_MIDDLE, 0, 0);
  w->DispatchEvents();
  EXPECT_THAT(Posted(), ElementsAre("0 down right 100 50", "0 move right -2 25", "0 down left -2 25",
                                    "0 up right 650 475", "0 move left 599 449", "0 up left 599 449",
                                    "0 down middle 0 0", "0 up middle 0 0"));
}

TEST_F(Window, FullscreenMapsTheMouseThroughTheCentringOffset) {
  auto w = Open(1, true);
  int width = 0, height = 0;
  SDL_GetWindowSize(w->NativeWindow(), &width, &height);
  const ViewMap view = FullscreenView(width, height, 600, 450);
  EXPECT_EQ(w->MouseView().offsetX, view.offsetX);
  Motion(*w, 0, view.offsetX, view.offsetY);
  Motion(*w, 0, view.offsetX - 1, view.offsetY + 450 * view.scale - 1);
  w->DispatchEvents();
  EXPECT_THAT(Posted(), ElementsAre("0 move none 0 0", "0 move none -1 449"));
}

TEST_F(Window, WhiteUntilTheFirstFrameThenTheFrameAtSharpScale) {
  auto w = Open(3);
  EXPECT_EQ(Hex(PixelAt(*w, 0, 0)), "ffffff");
  EXPECT_EQ(Hex(PixelAt(*w, 1799, 1349)), "ffffff");

  TBrixBitmap frame;
  frame.SetSize(600, 450);
  frame.Fill(Rgb(0, 0, 0));
  frame.rows[0][0] = Rgb(0x12, 0x34, 0x56);
  frame.rows[0][1] = Rgb(0xFE, 0x80, 0x01);
  frame.rows[449][599] = Rgb(0x20, 0x40, 0x60);
  w->Show(frame, FrameDamage{});
  EXPECT_EQ(w->FramesShown(), 1);
  // Every window pixel of a game pixel has its exact colour: no smoothing at the seams.
  for (int dy = 0; dy < 3; ++dy) {
    for (int dx = 0; dx < 3; ++dx) {
      EXPECT_EQ(Hex(PixelAt(*w, dx, dy)), "123456");
      EXPECT_EQ(Hex(PixelAt(*w, 3 + dx, dy)), "fe8001");
      EXPECT_EQ(Hex(PixelAt(*w, 6 + dx, dy)), "000000");
      EXPECT_EQ(Hex(PixelAt(*w, 1797 + dx, 1347 + dy)), "204060");
    }
  }
}

TEST_F(Window, FullscreenShowsTheGameCentredOnBlack) {
  auto w = Open(1, true);
  const ViewMap view = w->MouseView();
  ASSERT_GT(view.offsetX, 0);
  ASSERT_GT(view.offsetY, 0);
  EXPECT_EQ(Hex(PixelAt(*w, view.offsetX, view.offsetY)), "ffffff");
  TBrixBitmap frame;
  frame.SetSize(600, 450);
  frame.Fill(Rgb(0x33, 0x66, 0x99));
  w->Show(frame, FrameDamage{});
  EXPECT_EQ(Hex(PixelAt(*w, 0, 0)), "000000");
  EXPECT_EQ(Hex(PixelAt(*w, view.offsetX - 1, view.offsetY)), "000000");
  EXPECT_EQ(Hex(PixelAt(*w, view.offsetX, view.offsetY)), "336699");
  EXPECT_EQ(Hex(PixelAt(*w, view.offsetX + 600 * view.scale - 1, view.offsetY + 450 * view.scale - 1)), "336699");
  EXPECT_EQ(Hex(PixelAt(*w, view.offsetX + 600 * view.scale, view.offsetY)), "000000");
}

// Every window pixel of every game pixel, against the frame; the count of those that differ.
int WrongPixels(const SdlWindow& w, const ViewMap& view, const TBrixBitmap& frame) {
  SDL_Surface* s = SDL_GetWindowSurface(w.NativeWindow());
  int wrong = 0;
  for (int y = 0; y < s->h; ++y) {
    for (int x = 0; x < s->w; ++x) {
      std::int32_t gx = 0, gy = 0;
      WindowToGame(view, x, y, gx, gy);
      const bool inGame = gx >= 0 && gy >= 0 && gx < frame.Width() && gy < frame.Height();
      const ColorTriple want = inGame ? frame.rows[gy][gx] : ColorBlack;
      Uint32 texel = 0;
      std::memcpy(&texel, static_cast<const char*>(s->pixels) + y * s->pitch + x * 4, 4);
      SDL_Color c{};
      SDL_GetRGB(texel, s->format, &c.r, &c.g, &c.b);
      if (c.r != want.red || c.g != want.green || c.b != want.blue) ++wrong;
    }
  }
  return wrong;
}

// Only the changed part of a frame is converted; whatever changed, wherever, the window
// must end up holding the whole latest frame, at any scale and in full screen.
TEST_F(Window, EveryChangeOfAFrameReachesTheWindow) {
  struct Case {
    std::int32_t scale;
    bool fullscreen;
  };
  for (const Case c : {Case{1, false}, Case{3, false}, Case{1, true}}) {
    auto w = Open(c.scale, c.fullscreen);
    const ViewMap view = w->MouseView();
    TBrixBitmap frame;
    frame.SetSize(600, 450);
    frame.Fill(Rgb(0x20, 0x40, 0x60));
    w->Show(frame, FrameDamage{});
    ASSERT_EQ(WrongPixels(*w, view, frame), 0) << "scale " << c.scale;
    // Corners, a lone pixel, a block straddling rows, then nothing at all changed.
    frame.rows[0][0] = Rgb(1, 2, 3);
    frame.rows[449][599] = Rgb(4, 5, 6);
    w->Show(frame, FrameDamage{});
    EXPECT_EQ(WrongPixels(*w, view, frame), 0) << "corners, scale " << c.scale;
    frame.rows[200][300] = Rgb(7, 8, 9);
    w->Show(frame, FrameDamage{});
    EXPECT_EQ(WrongPixels(*w, view, frame), 0) << "one pixel, scale " << c.scale;
    for (int y = 100; y < 180; ++y)
      for (int x = 50; x < 120; ++x) frame.rows[y][x] = Rgb(std::uint8_t(x), std::uint8_t(y), 0xEE);
    frame.rows[100][50] = Rgb(0x20, 0x40, 0x60);  // the block's own corner unchanged
    w->Show(frame, FrameDamage{});
    EXPECT_EQ(WrongPixels(*w, view, frame), 0) << "block, scale " << c.scale;
    w->Show(frame, FrameDamage{});
    EXPECT_EQ(WrongPixels(*w, view, frame), 0) << "unchanged, scale " << c.scale;
    EXPECT_EQ(w->FramesShown(), 5);
  }
}

// A resize gives the window a new, blank surface: the next frame, even an unchanged one,
// must be drawn in full.
TEST_F(Window, AResizedWindowGetsTheWholeFrameAgain) {
  auto w = Open(2);
  TBrixBitmap frame;
  frame.SetSize(600, 450);
  frame.Fill(Rgb(0x33, 0x66, 0x99));
  w->Show(frame, FrameDamage{});
  SDL_SetWindowSize(w->NativeWindow(), 1300, 1000);
  w->Show(frame, FrameDamage{});
  EXPECT_EQ(WrongPixels(*w, w->MouseView(), frame), 0);
  w->DispatchEvents();  // the size change itself redraws too
  EXPECT_EQ(WrongPixels(*w, w->MouseView(), frame), 0);
}

// The display-less driver saves every update it is sent as a picture in the working
// folder: what reached the "screen" can be counted and looked at.
TEST_F(Window, AnExposeSendsTheLatestFrameAgainAndOnlyChangesAreSent) {
  test::TempFolder folder;
  Environment env;
  env.Set("SDL_VIDEO_DUMMY_SAVE_FRAMES", "1");
  auto sent = [&] {
    std::vector<std::filesystem::path> files;
    for (const auto& f : std::filesystem::directory_iterator(folder.Path())) files.push_back(f.path());
    std::sort(files.begin(), files.end());  // numbered in order of sending
    return files;
  };
  auto w = Open(1);
  TBrixBitmap frame;
  frame.SetSize(600, 450);
  frame.Fill(Rgb(0x10, 0x20, 0x30));
  w->Show(frame, FrameDamage{});
  const std::size_t before = sent().size();
  ASSERT_GE(before, 1u);
  w->Show(frame, FrameDamage{});
  EXPECT_EQ(sent().size(), before) << "an unchanged frame was sent again";

  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = SDL_GetWindowID(w->NativeWindow());
  e.window.event = SDL_WINDOWEVENT_EXPOSED;
  SDL_PushEvent(&e);
  w->DispatchEvents();
  const auto files = sent();
  ASSERT_EQ(files.size(), before + 1) << "the expose sent nothing";
  SDL_Surface* shot = SDL_LoadBMP(files.back().c_str());
  ASSERT_NE(shot, nullptr) << SDL_GetError();
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(shot, SDL_PIXELFORMAT_RGB24, 0);
  const auto* p = static_cast<const std::uint8_t*>(rgb->pixels) + 200 * rgb->pitch + 300 * 3;
  EXPECT_EQ(Hex(SDL_Color{p[0], p[1], p[2], 255}), "102030");
  SDL_FreeSurface(rgb);
  SDL_FreeSurface(shot);
}

// The game's own frames, shown by what each step changed: after idle and busy steps, an
// expose and a resize, the window holds exactly the composed frame.
TEST_F(Window, TheWindowHoldsEachComposedFrameShownByItsDamage) {
  test::TempFolder folder;
  for (std::int32_t scale : {1, 2}) {
    auto w = Open(scale);
    SessionOptions options;
    options.seed = 11;
    options.window = w.get();
    options.screen = w.get();
    Session session(options);
    const TBrixBitmap& frame = *session.Game().backbuffer;
    auto check = [&](const char* when) {
      EXPECT_EQ(WrongPixels(*w, w->MouseView(), frame), 0) << when << ", scale " << scale;
    };
    for (int i = 0; i < 6; ++i) session.Step();
    check("idle");
    // A restless player: moves every step, clicks and guards now and then.
    for (int i = 0; i < 40; ++i) {
      const std::int32_t x = 80 + (i * 53) % 480;
      auto post = [&](MouseEventKind kind, MouseButton button, ShiftState held) {
        session.Post(MouseEvent{kind, button, held, x, 300});
      };
      post(MouseEventKind::Move, MouseButton::Left, ShiftState{});
      if (i % 5 == 0) post(MouseEventKind::Down, MouseButton::Left, ShiftState{true, false, false});
      if (i % 5 == 0) post(MouseEventKind::Up, MouseButton::Left, ShiftState{});
      if (i % 7 == 3) post(MouseEventKind::Down, MouseButton::Right, ShiftState{false, true, false});
      if (i % 7 == 5) post(MouseEventKind::Up, MouseButton::Right, ShiftState{});
      session.Step();
      if (i % 8 == 7) check("busy");
    }
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(w->NativeWindow());
    e.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&e);
    w->DispatchEvents();
    check("expose");
    session.Step();
    check("a step after the expose");
    SDL_SetWindowSize(w->NativeWindow(), 700 * scale, 500 * scale);
    w->DispatchEvents();
    check("resize");
    for (int i = 0; i < 3; ++i) session.Step();
    check("steps after the resize");
    // Another frame in between, whose changes are not known: the game's next frame, known
    // only by what changed in it, must still replace all of it.
    TBrixBitmap other;
    other.SetSize(600, 450);
    other.Fill(Rgb(0x11, 0x22, 0x33));
    w->Show(other, FrameDamage{});
    EXPECT_EQ(WrongPixels(*w, w->MouseView(), other), 0) << "another frame, scale " << scale;
    session.Step();
    check("the game's frame after another");
  }
}

TEST_F(Window, ClosingTheWindowOrQuittingEndsTheLoop) {
  for (bool viaQuit : {false, true}) {
    auto w = Open(1);
    EXPECT_FALSE(w->Terminated());
    SDL_Event e{};
    if (viaQuit) {
      e.type = SDL_QUIT;
    } else {
      e.type = SDL_WINDOWEVENT;
      e.window.windowID = SDL_GetWindowID(w->NativeWindow());
      e.window.event = SDL_WINDOWEVENT_CLOSE;
    }
    SDL_PushEvent(&e);
    w->DispatchEvents();
    EXPECT_TRUE(w->Terminated()) << (viaQuit ? "quit" : "close");
    w->WaitUntilClosed();  // returns at once once closed
  }
}

void PushWindowEvent(const SdlWindow& w, std::uint8_t what) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = SDL_GetWindowID(w.NativeWindow());
  e.window.event = what;
  SDL_PushEvent(&e);
}

// Minimised, no step runs: the scheduler's wait lasts until the window is restored, or
// closed, and the steps then go on one at a time (the scheduler runs each due entry once).
TEST_F(Window, MinimisedTheWaitLastsUntilTheWindowIsBack) {
  for (const std::uint8_t back : {SDL_WINDOWEVENT_RESTORED, SDL_WINDOWEVENT_CLOSE}) {
    auto w = Open(1);
    PushWindowEvent(*w, SDL_WINDOWEVENT_MINIMIZED);
    w->DispatchEvents();
    EXPECT_TRUE(w->Paused());
    struct Later {
      std::uint32_t window;
      std::uint8_t what;
    } later{SDL_GetWindowID(w->NativeWindow()), back};
    const SDL_TimerID timer = SDL_AddTimer(
        300,
        [](Uint32, void* data) -> Uint32 {
          const auto* l = static_cast<const Later*>(data);
          SDL_Event e{};
          e.type = SDL_WINDOWEVENT;
          e.window.windowID = l->window;
          e.window.event = l->what;
          SDL_PushEvent(&e);
          return 0;
        },
        &later);
    ASSERT_NE(timer, 0);
    // A wait of its own length would end long before the later event, with the window still
    // minimised and open.
    w->Wait(50);
    if (back == SDL_WINDOWEVENT_RESTORED) {
      EXPECT_FALSE(w->Paused()) << "the wait ended before the window came back";
    }
    EXPECT_EQ(w->Terminated(), back == SDL_WINDOWEVENT_CLOSE);
  }
}

TEST_F(Window, TheWaitEndsAsSoonAsAnEventIsWaiting) {
  auto w = Open(1);
  Motion(*w, 0, 10, 10);  // a waiting event: the wait must not sleep its full length
  const std::uint64_t before = SDL_GetTicks64();
  w->Wait(5000);
  EXPECT_LT(SDL_GetTicks64() - before, 4000u);
}

void ExpectNoDisplayError() {
  try {
    SdlWindow w{WindowOptions{}};
    ADD_FAILURE() << "a window opened without a display";
  } catch (const PlatformError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("no display"), std::string::npos) << what;
    EXPECT_EQ(what.find('\n'), std::string::npos) << what;
  }
}

TEST(WindowWithoutDisplay, FailsWithOneLineWhenNoDriverOpens) {
  Environment env;
  env.Set("SDL_VIDEODRIVER", "no-such-display");
  ExpectNoDisplayError();
}

TEST(WindowWithoutDisplay, RefusesSdlsScreenlessFallback) {
  // With nothing to show on, SDL would settle for its invisible "offscreen" driver.
  if (std::filesystem::exists("/dev/dri")) GTEST_SKIP() << "a console display may really open here";
  Environment env;
  env.Set("SDL_VIDEODRIVER", nullptr);
  env.Set("DISPLAY", nullptr);
  env.Set("WAYLAND_DISPLAY", nullptr);
  ExpectNoDisplayError();
}

}  // namespace
}  // namespace vexa
