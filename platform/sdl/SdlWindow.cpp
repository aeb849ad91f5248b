#include "platform/sdl/SdlWindow.h"

#include <SDL.h>
#include <signal.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "lib/GamePaths.h"
#include "platform/sdl/QuietStderr.h"

namespace vexa {

namespace {

volatile std::sig_atomic_t hungUp = 0;

bool ToMouseButton(std::uint8_t sdlButton, MouseButton& button) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: button = MouseButton::Left; return true;
    case SDL_BUTTON_RIGHT: button = MouseButton::Right; return true;
    case SDL_BUTTON_MIDDLE: button = MouseButton::Middle; return true;
    default: return false;  // side buttons mean nothing to the game
  }
}

// SDL falls back to its screenless drivers when nothing else opens; a game nobody can
// see is only wanted when asked for by name (tests, SDL_VIDEODRIVER=dummy).
bool ScreenlessUnasked() {
  const char* current = SDL_GetCurrentVideoDriver();
  if (!current || (std::strcmp(current, "offscreen") != 0 && std::strcmp(current, "dummy") != 0)) return false;
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  return !asked || std::strstr(asked, current) == nullptr;
}

// Where libdbus looks for the session bus when no address is given.
bool SessionBusExists() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::error_code ec;
  return runtime && *runtime && std::filesystem::exists(std::filesystem::path(runtime) / "bus", ec);
}

ShiftState ToShiftState(std::uint32_t mask) {
  ShiftState s;
  s.left = (mask & SDL_BUTTON_LMASK) != 0;
  s.right = (mask & SDL_BUTTON_RMASK) != 0;
  s.middle = (mask & SDL_BUTTON_MMASK) != 0;
  return s;
}

}  // namespace

namespace {

// Hints that keep an idle game light and its start quick.
void SetQuietHints() {
  // The game asks nothing of the screen saver; an idle window should not hold it off.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // A click that activates the window is still a click, as on the game's home system.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // The game reads no keys, yet SDL opens an X input method, and with it libX11 parses
  // the locale's compose table (thousands of lines, some 10 ms of every start). An empty
  // table is all the game needs; a table the user names is still read.
  setenv("XCOMPOSEFILE", "/dev/null", 0);
  // SDL also asks the session bus for an input method. Where there is no bus to find (a
  // bare X server), libdbus would fork and run dbus-launch for it, which costs the start
  // several milliseconds and may leave a bus daemon behind; only then is the bus declared
  // absent.
  if (!std::getenv("DBUS_SESSION_BUS_ADDRESS") && !SessionBusExists())
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
}

// The video subsystem, or why there is none.
void InitVideo() {
  const char* noDisplay = "no display available for the game window (set DISPLAY, or run under xvfb-run)";
  int status = 0;
  {
    QuietStderr quiet;
    status = SDL_InitSubSystem(SDL_INIT_VIDEO);
  }
  if (status != 0) throw PlatformError(std::string(noDisplay) + ": " + SDL_GetError());
  if (ScreenlessUnasked()) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw PlatformError(noDisplay);
  }
  // X11 sends the window surface to the server as shared memory. Left to itself SDL would
  // put an OpenGL renderer behind it, which without a GPU (a virtual display, a remote
  // desktop) is Mesa's llvmpipe: some 90 MB more memory, a slower start and two render
  // threads busy at every step, all to show one 600 x 450 picture. The environment
  // variable still overrides this.
  if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0)
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");

}

// SDL turns SIGINT and SIGTERM into a quit; a closed terminal must end the game as gently,
// so a recording is still written.
void EndOnHangUp() {
  struct sigaction hangUp {};
  hangUp.sa_handler = [](int) { hungUp = 1; };
  sigemptyset(&hangUp.sa_mask);
  sigaction(SIGHUP, &hangUp, nullptr);
}

}  // namespace

SdlWindow::SdlWindow(const WindowOptions& options) : fullscreen_(options.fullscreen) {
  SetQuietHints();
  InitVideo();
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) desktop.w = desktop.h = 0;
  ChooseScale(options, desktop.w, desktop.h);
  CreateNativeWindow(options, desktop.w, desktop.h);
  if (SDL_Surface* icon = SDL_LoadBMP(NativePath(options.iconFile).c_str())) {
    SDL_SetWindowIcon(window_, icon);
    SDL_FreeSurface(icon);
  }
  // The keyboard is not used: no input method should pop up over the game.
  SDL_StopTextInput();
  EndOnHangUp();
}

// The scale asked for, or the largest that fits; never more than the screen holds.
void SdlWindow::ChooseScale(const WindowOptions& options, std::int32_t screenW, std::int32_t screenH) {
  scale_ = options.scale == 0 ? AutoScale(screenW, screenH, gameW_, gameH_) : std::clamp(options.scale, 1, maxScale);
  const std::int32_t fits = FullscreenView(screenW, screenH, gameW_, gameH_).scale;
  if (options.fitScreen && screenW > 0 && scale_ > fits) {
    notice_ = "scale " + std::to_string(scale_) + " does not fit the " + std::to_string(screenW) + " x " +
              std::to_string(screenH) + " screen; using " + std::to_string(fits);
    scale_ = fits;
  }
}

void SdlWindow::CreateNativeWindow(const WindowOptions& options, std::int32_t screenW, std::int32_t screenH) {
  // Resizable: the game stays whole at the largest whole scale that fits, centred on black.
  std::uint32_t flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
  SDL_Rect place{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, gameW_ * scale_, gameH_ * scale_};
  if (fullscreen_) {
    // Asked of the window manager; born borderless over the whole display as well, so the
    // screen is covered even where no window manager answers (a bare X server).
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    if (SDL_GetDisplayBounds(0, &place) != 0) place = SDL_Rect{0, 0, screenW, screenH};
  }
  window_ = SDL_CreateWindow(options.title.c_str(), place.x, place.y, place.w, place.h, flags);
  if (!window_) {
    const std::string why = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw PlatformError("cannot open the game window (" + why + ")");
  }
  windowId_ = SDL_GetWindowID(window_);
  // Never smaller than one whole frame, which would crop the game.
  SDL_SetWindowMinimumSize(window_, gameW_, gameH_);

  // Frames are written straight into the window surface: no renderer, no texture, no
  // second copy. Asked for now so a window that cannot be drawn into fails here.
  if (!SDL_GetWindowSurface(window_)) {
    const std::string why = SDL_GetError();
    SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw PlatformError("cannot draw into the game window (" + why + ")");
  }

}

SdlWindow::~SdlWindow() {
  SDL_FreeSurface(staging_);
  SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlWindow::ShowWindow() {
  SDL_ShowWindow(window_);
  shown_ = true;
  Redraw();
}

bool ShowStartErrorBox(const std::string& text) {
  QuietStderr quiet;  // a failed box has nothing to add to the line already written
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  const bool shown = 0 == SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, GameTitle, text.c_str(), nullptr);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return shown;
}

bool SdlWindow::ShowErrorBox(const std::string& text) {
  return 0 == SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, SDL_GetWindowTitle(window_), text.c_str(), window_);
}

void SdlWindow::WaitUntilClosed() {
  while (!closed_ && !hungUp) {
    DispatchEvents();
    if (!closed_) SDL_WaitEventTimeout(nullptr, 1000);
  }
}

ViewMap SdlWindow::MouseView() const {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  return FullscreenView(w, h, gameW_, gameH_);
}

ViewMap SdlWindow::SurfaceView(const SDL_Surface& surface) const {
  return FullscreenView(surface.w, surface.h, gameW_, gameH_);
}

void SdlWindow::ToggleFullscreen() {
  fullscreen_ = !fullscreen_;
  if (fullscreen_) {
    // SDL only asks the window manager, and lays the frame out for the whole display at
    // once. Without a window manager nothing would resize the window, and the picture would
    // be cropped to its old size: the window is made to cover the display itself first, as
    // a window born full screen is.
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0), &bounds) == 0) {
      SDL_SetWindowBordered(window_, SDL_FALSE);
      SDL_SetWindowPosition(window_, bounds.x, bounds.y);
      SDL_SetWindowSize(window_, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    Redraw();
    return;
  }
  SDL_SetWindowFullscreen(window_, 0);
  SDL_SetWindowBordered(window_, SDL_TRUE);  // a window born full screen had no frame
  SDL_SetWindowSize(window_, gameW_ * scale_, gameH_ * scale_);
  SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  Redraw();
}

void SdlWindow::SetClientSize(std::int32_t width, std::int32_t height) {
  gameW_ = width;
  gameH_ = height;
  SDL_SetWindowMinimumSize(window_, gameW_, gameH_);
  if (!fullscreen_) SDL_SetWindowSize(window_, width * scale_, height * scale_);
}

void SdlWindow::OuterSize(std::int32_t& width, std::int32_t& height) {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  int top = 0, left = 0, bottom = 0, right = 0;
  // Unknown until a window manager has framed the window; the client size stands in.
  if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  width = w + left + right;
  height = h + top + bottom;
}

void SdlWindow::ScreenSize(std::int32_t& width, std::int32_t& height) {
  SDL_DisplayMode mode{};
  const int display = std::max(SDL_GetWindowDisplayIndex(window_), 0);
  if (SDL_GetDesktopDisplayMode(display, &mode) != 0) SDL_GetWindowSize(window_, &mode.w, &mode.h);
  width = mode.w;
  height = mode.h;
}

void SdlWindow::MoveTo(std::int32_t left, std::int32_t top) {
  if (fullscreen_) return;
  // The form places the outer frame; SDL places the client area inside it.
  int borderTop = 0, borderLeft = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window_, &borderTop, &borderLeft, &bottom, &right) != 0) borderTop = borderLeft = 0;
  SDL_SetWindowPosition(window_, left + borderLeft, top + borderTop);
}

SDL_Surface* SdlWindow::Surface(bool& repaint) {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (!surface) return nullptr;
  // SDL replaces the surface when the window is resized, and a new one starts out blank.
  // The mark tells ours apart from one that has never been painted.
  if (surface->userdata != this) {
    surface->userdata = this;
    directTexels_ = TexelLayoutFor(surface->format->format, layout_);
    if (!directTexels_) TexelLayoutFor(SDL_PIXELFORMAT_ARGB8888, layout_);
    SDL_FreeSurface(staging_);
    staging_ = nullptr;
    repaint = true;
  }
  return surface;
}

void SdlWindow::PaintAll(SDL_Surface& surface) {
  const ViewMap view = SurfaceView(surface);
  const TexelTarget target{surface.pixels, surface.pitch, surface.w, surface.h};
  // The frame, or white until there is one; black around it, which in a window is nothing.
  const Shown shown = Latest();
  const PixelRect game = !shown.pixels ? PixelRect{0, 0, gameW_, gameH_} : PixelRect{0, 0, shown.width, shown.height};
  const PixelRect inside = TargetRect(game, view, target);
  if (directTexels_) {
    FillAround(target, inside, Texel(ColorBlack, layout_));
    if (!shown.pixels) FillTexels(target, inside, Texel(ColorWhite, layout_));
  } else {
    SDL_FillRect(&surface, nullptr, SDL_MapRGB(surface.format, 0, 0, 0));
    SDL_Rect white{inside.left, inside.top, inside.right - inside.left, inside.bottom - inside.top};
    if (!shown.pixels) SDL_FillRect(&surface, &white, SDL_MapRGB(surface.format, 255, 255, 255));
  }
  if (shown.pixels) Paint(surface, game);
}

PixelRect SdlWindow::Paint(SDL_Surface& surface, const PixelRect& part) {
  const ViewMap view = SurfaceView(surface);
  if (directTexels_) {
    const TexelTarget target{surface.pixels, surface.pitch, surface.w, surface.h};
    return WidenScaled(Latest().pixels, Latest().width, part, layout_, view, target);
  }
  // A window surface in some other format (a 16-bit display): SDL converts from 32 bits.
  if (!staging_) {
    staging_ = SDL_CreateRGBSurfaceWithFormat(0, surface.w, surface.h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!staging_) return PixelRect{};
    SDL_SetSurfaceBlendMode(staging_, SDL_BLENDMODE_NONE);
  }
  const TexelTarget target{staging_->pixels, staging_->pitch, staging_->w, staging_->h};
  const PixelRect out = WidenScaled(Latest().pixels, Latest().width, part, layout_, view, target);
  SDL_Rect from{out.left, out.top, out.right - out.left, out.bottom - out.top};
  SDL_Rect to = from;
  if (!out.Empty()) SDL_BlitSurface(staging_, &from, &surface, &to);
  return out;
}

void SdlWindow::Push(const PixelRect* rect) {
  // Minimised there is nothing to see; the restore's expose sends the surface again.
  if (!shown_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED)) return;
  if (!rect) {
    SDL_UpdateWindowSurface(window_);
    return;
  }
  const SDL_Rect area{rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top};
  SDL_UpdateWindowSurfaceRects(window_, &area, 1);
}

void SdlWindow::PushParts() {
  if (pushed_.empty() || !shown_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED)) return;
  areas_.clear();
  for (const PixelRect& r : pushed_) areas_.push_back(SDL_Rect{r.left, r.top, r.right - r.left, r.bottom - r.top});
  SDL_UpdateWindowSurfaceRects(window_, areas_.data(), static_cast<int>(areas_.size()));
}

SdlWindow::Shown SdlWindow::Latest() const {
  if (latest_) return Shown{latest_->Pixels().data(), latest_->Width(), latest_->Height()};
  if (!onScreen_.Empty()) return Shown{onScreen_.pixels.data(), onScreen_.width, onScreen_.height};
  return Shown{};
}

void SdlWindow::Show(const TBrixBitmap& frame, const FrameDamage& damage) {
  if (frame.Width() <= 0 || frame.Height() <= 0) return;  // nothing to show
  // A first frame, or one of another size, replaces the white or the old frame's border too.
  const Shown before = Latest();
  bool repaint = !before.pixels || frame.Width() != before.width || frame.Height() != before.height;
  ++framesShown_;
  if (damage.known) {
    // The damage tells what changed since this same frame was shown last; after another
    // frame, it tells nothing.
    repaint = repaint || latest_ != &frame;
    // The frame itself is what the window shows from now on; no copy of it is kept, and the
    // next frame that comes without its damage is sent whole.
    latest_ = &frame;
    onScreen_ = ShownFrame{};
    SDL_Surface* surface = SurfaceForParts(repaint);
    if (!surface) return;
    // Each part on its own: the fighters and the bars lie far apart, and the pixels between
    // them would cost more to send than a request each.
    pushed_.clear();
    for (const PixelRect& part : damage.rects) {
      const PixelRect out = Paint(*surface, Intersection(part, PixelRect{0, 0, frame.Width(), frame.Height()}));
      if (!out.Empty()) pushed_.push_back(out);
    }
    PushParts();
    return;
  }
  latest_ = nullptr;
  const PixelRect changed = TakeFrame(onScreen_, frame.Pixels().data(), frame.Width(), frame.Height(), runs_);

  SDL_Surface* surface = SurfaceForParts(repaint);
  if (!surface) return;
  if (changed.Empty()) return;  // the same picture: the display already has it
  for (const RowRun& run : runs_) Paint(*surface, PixelRect{run.left, run.row, run.right, run.row + 1});
  // One rectangle: a request per run would cost the display more than the unchanged
  // pixels between them.
  const SDL_Surface& s = *surface;
  const PixelRect out = TargetRect(changed, SurfaceView(s), TexelTarget{s.pixels, s.pitch, s.w, s.h});
  if (!out.Empty()) Push(&out);
}

SDL_Surface* SdlWindow::SurfaceForParts(bool repaint) {
  SDL_Surface* surface = Surface(repaint);
  if (!surface || !repaint) return surface;
  PaintAll(*surface);
  Push(nullptr);
  return nullptr;
}

void SdlWindow::Redraw() {
  bool repaint = false;
  SDL_Surface* surface = Surface(repaint);
  if (!surface) return;
  if (repaint) PaintAll(*surface);
  Push(nullptr);
}

std::int32_t SdlWindow::Now() { return static_cast<std::int32_t>(SDL_GetTicks64() & 0x7FFFFFFF); }

void SdlWindow::DispatchEvents() {
  if (hungUp) closed_ = true;
  // The queue is drained without asking the display again when the wait just did: one
  // pump per wake. SDL_PollEvent would pump for every event taken.
  if (!pumped_) SDL_PumpEvents();
  pumped_ = false;
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Handle(event);
}

void SdlWindow::Wait(std::int32_t maxMs) {
  // Minimised, the game pauses: no step runs until the window is back, and then the
  // scheduler runs the one step due, never the ones missed.
  while (minimised_ && !closed_) {
    SDL_WaitEventTimeout(nullptr, 1000);
    DispatchEvents();
  }
  if (closed_ || maxMs <= 0) return;
  SDL_WaitEventTimeout(nullptr, maxMs);  // pumps on entry and whenever the display wakes it
  pumped_ = true;
}

void SdlWindow::Handle(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      closed_ = true;
      break;
    case SDL_WINDOWEVENT:
      if (event.window.windowID != windowId_) break;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) closed_ = true;
      if (event.window.event == SDL_WINDOWEVENT_MINIMIZED) minimised_ = true;
      if (event.window.event == SDL_WINDOWEVENT_RESTORED || event.window.event == SDL_WINDOWEVENT_MAXIMIZED)
        minimised_ = false;
      // A window resized by hand sets the scale it goes back to after full screen. Below one
      // whole frame it grows back: without a window manager nothing else holds the minimum.
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && !fullscreen_) {
        if (event.window.data1 < gameW_ || event.window.data2 < gameH_)
          SDL_SetWindowSize(window_, std::max(event.window.data1, gameW_), std::max(event.window.data2, gameH_));
        scale_ = FullscreenView(event.window.data1, event.window.data2, gameW_, gameH_).scale;
      }
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_RESTORED ||
          event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        Redraw();
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (event.button.windowID != windowId_ && event.button.windowID != 0) break;
      const bool down = event.type == SDL_MOUSEBUTTONDOWN;
      if (down) heldButtons_ |= SDL_BUTTON(event.button.button);
      else heldButtons_ &= ~SDL_BUTTON(event.button.button);
      // While a button is held the pointer keeps reporting outside the window, unclamped,
      // so a release out there is still seen.
      SDL_CaptureMouse(heldButtons_ != 0 ? SDL_TRUE : SDL_FALSE);
      MouseButton button;
      if (!session_ || !ToMouseButton(event.button.button, button)) break;
      std::int32_t x = 0, y = 0;
      WindowToGame(MouseView(), event.button.x, event.button.y, x, y);
      session_->Post(MouseEvent{down ? MouseEventKind::Down : MouseEventKind::Up, button, ToShiftState(heldButtons_), x, y});
      break;
    }
    case SDL_MOUSEMOTION: {
      if (event.motion.windowID != windowId_ && event.motion.windowID != 0) break;
      heldButtons_ = event.motion.state;
      if (!session_) break;
      std::int32_t x = 0, y = 0;
      WindowToGame(MouseView(), event.motion.x, event.motion.y, x, y);
      session_->Post(MouseEvent{MouseEventKind::Move, MouseButton::Left, ToShiftState(heldButtons_), x, y});
      break;
    }
    case SDL_KEYDOWN:
      // The game itself reads no keys; these two are the desktop's usual full-screen toggle.
      if (event.key.windowID == windowId_ && event.key.repeat == 0 &&
          (event.key.keysym.sym == SDLK_F11 ||
           (event.key.keysym.sym == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT) != 0)))
        ToggleFullscreen();
      break;
    default:
      break;
  }
}

}  // namespace vexa
