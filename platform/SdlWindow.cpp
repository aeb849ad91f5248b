#include "platform/SdlWindow.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "lib/GamePaths.h"
#include "platform/QuietStderr.h"

namespace vexa {

namespace {

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

ShiftState ToShiftState(std::uint32_t mask) {
  ShiftState s;
  s.left = (mask & SDL_BUTTON_LMASK) != 0;
  s.right = (mask & SDL_BUTTON_RMASK) != 0;
  s.middle = (mask & SDL_BUTTON_MMASK) != 0;
  return s;
}

}  // namespace

SdlWindow::SdlWindow(const WindowOptions& options) : fullscreen_(options.fullscreen) {
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // The game asks nothing of the screen saver; an idle window should not hold it off.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // A click that activates the window is still a click, as on the game's home system.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
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

  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) desktop.w = desktop.h = 0;
  scale_ = options.scale == 0 ? AutoScale(desktop.w, desktop.h, gameW_, gameH_)
                              : std::clamp(options.scale, 1, maxScale);

  std::uint32_t flags = SDL_WINDOW_HIDDEN;
  SDL_Rect place{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, gameW_ * scale_, gameH_ * scale_};
  if (fullscreen_) {
    // Asked of the window manager; born borderless over the whole display as well, so the
    // screen is covered even where no window manager answers (a bare X server).
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    if (SDL_GetDisplayBounds(0, &place) != 0) place = SDL_Rect{0, 0, desktop.w, desktop.h};
  }
  window_ = SDL_CreateWindow(options.title.c_str(), place.x, place.y, place.w, place.h, flags);
  if (!window_) {
    const std::string why = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw PlatformError("cannot open the game window (" + why + ")");
  }
  windowId_ = SDL_GetWindowID(window_);

  // Whatever the machine offers; without a GPU that is SDL's software renderer. No vsync:
  // a present must never hold up the step.
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    const std::string why = SDL_GetError();
    SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw PlatformError("cannot draw into the game window (" + why + ")");
  }

  // The first packed 32-bit format the renderer lists is the one it takes without converting.
  textureFormat_ = SDL_PIXELFORMAT_ARGB8888;
  TexelLayoutFor(textureFormat_, layout_);
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer_, &info) == 0) {
    for (std::uint32_t i = 0; i < info.num_texture_formats; ++i) {
      if (TexelLayoutFor(info.texture_formats[i], layout_)) {
        textureFormat_ = info.texture_formats[i];
        break;
      }
    }
  }

  if (SDL_Surface* icon = SDL_LoadBMP(NativePath(options.iconFile).c_str())) {
    SDL_SetWindowIcon(window_, icon);
    SDL_FreeSurface(icon);
  }
  // The keyboard is not used: no input method should pop up over the game.
  SDL_StopTextInput();
}

SdlWindow::~SdlWindow() {
  DropTexture();
  SDL_DestroyRenderer(renderer_);
  SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlWindow::ShowWindow() {
  SDL_ShowWindow(window_);
  shown_ = true;
  Redraw();
}

bool SdlWindow::ShowErrorBox(const std::string& text) {
  return 0 == SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, SDL_GetWindowTitle(window_), text.c_str(), window_);
}

void SdlWindow::WaitUntilClosed() {
  while (!closed_) {
    DispatchEvents();
    if (!closed_) SDL_WaitEventTimeout(nullptr, 1000);
  }
}

ViewMap SdlWindow::MouseView() const {
  if (!fullscreen_) return ViewMap{scale_, 0, 0};
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  return FullscreenView(w, h, gameW_, gameH_);
}

ViewMap SdlWindow::RenderView() const {
  if (!fullscreen_) return ViewMap{scale_, 0, 0};
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(renderer_, &w, &h);
  return FullscreenView(w, h, gameW_, gameH_);
}

void SdlWindow::SetClientSize(std::int32_t width, std::int32_t height) {
  gameW_ = width;
  gameH_ = height;
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

void SdlWindow::DropTexture() {
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
  haveFrame_ = false;
}

void SdlWindow::Show(const TBrixBitmap& frame) {
  if (!texture_ || textureW_ != frame.Width() || textureH_ != frame.Height()) {
    DropTexture();
    texture_ = SDL_CreateTexture(renderer_, textureFormat_, SDL_TEXTUREACCESS_STREAMING, frame.Width(),
                                 frame.Height());
    if (!texture_) return;  // a zero-sized frame, or the renderer is gone: nothing to show
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
    textureW_ = frame.Width();
    textureH_ = frame.Height();
  }
  void* texels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture_, nullptr, &texels, &pitch) != 0) return;
  WidenFrame(frame.Pixels().data(), textureW_, textureH_, layout_, texels, pitch);
  SDL_UnlockTexture(texture_);
  haveFrame_ = true;
  ++framesShown_;
  Redraw();
}

void SdlWindow::Redraw() {
  // Minimised there is nothing to see; the restore's expose redraws the latest frame.
  if (!shown_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED)) return;
  const ViewMap view = RenderView();
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (haveFrame_) {
    const SDL_Rect where{view.offsetX, view.offsetY, textureW_ * view.scale, textureH_ * view.scale};
    SDL_RenderCopy(renderer_, texture_, nullptr, &where);
  } else {
    const SDL_Rect where{view.offsetX, view.offsetY, gameW_ * view.scale, gameH_ * view.scale};
    SDL_SetRenderDrawColor(renderer_, 255, 255, 255, 255);
    SDL_RenderFillRect(renderer_, &where);
  }
  SDL_RenderPresent(renderer_);
}

std::int32_t SdlWindow::Now() { return static_cast<std::int32_t>(SDL_GetTicks64() & 0x7FFFFFFF); }

void SdlWindow::DispatchEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) Handle(event);
}

void SdlWindow::Wait(std::int32_t maxMs) {
  if (closed_ || maxMs <= 0) return;
  SDL_WaitEventTimeout(nullptr, maxMs);
}

void SdlWindow::Handle(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      closed_ = true;
      break;
    case SDL_WINDOWEVENT:
      if (event.window.windowID != windowId_) break;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) closed_ = true;
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
      if (!mouseTarget_ || !ToMouseButton(event.button.button, button)) break;
      std::int32_t x = 0, y = 0;
      WindowToGame(MouseView(), event.button.x, event.button.y, x, y);
      if (down) mouseTarget_->PaintBoxMainMouseDown(button, ToShiftState(heldButtons_), x, y);
      else mouseTarget_->PaintBoxMainMouseUp(button, ToShiftState(heldButtons_), x, y);
      break;
    }
    case SDL_MOUSEMOTION: {
      if (event.motion.windowID != windowId_ && event.motion.windowID != 0) break;
      heldButtons_ = event.motion.state;
      if (!mouseTarget_) break;
      std::int32_t x = 0, y = 0;
      WindowToGame(MouseView(), event.motion.x, event.motion.y, x, y);
      mouseTarget_->PaintBoxMainMouseMove(ToShiftState(heldButtons_), x, y);
      break;
    }
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      // The texture's contents are gone; the next step uploads a fresh frame.
      DropTexture();
      Redraw();
      break;
    default:
      break;  // the keyboard is not used
  }
}

}  // namespace vexa
