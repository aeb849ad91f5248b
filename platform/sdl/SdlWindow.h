#pragma once
// The game's one window on SDL2: the form's frame, the paint box every step's frame is
// shown in, and the event pump and clock the scheduler loop runs on.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "lib/BrixBmp.h"
#include "record/GameRecord.h"
#include "session/Session.h"
#include "lib/BrixForm.h"
#include "lib/BrixTimer.h"
#include "platform/shared/FrameDiff.h"
#include "platform/sdl/TexelConvert.h"
#include "platform/shared/ViewScale.h"
#include "platform/shared/WindowOptions.h"

struct SDL_Window;
struct SDL_Surface;
struct SDL_Rect;
union SDL_Event;

namespace vexa {


class SdlWindow : public FormWindow, public PaintBox, public TimerHost {
 public:
  // Creates the window hidden; the form sizes and centres it, then ShowWindow shows it.
  // Throws PlatformError when no display is available.
  explicit SdlWindow(const WindowOptions& options);
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // Where mouse events go, in game pixels; nullptr drops them.
  // Where the window posts its mouse events; none: they are dropped.
  void SetSession(Session* session) { session_ = session; }

  // Shows the window, white until the first frame arrives.
  void ShowWindow();

  // After the steps stopped on an error: a modal error box over the window. False when
  // the desktop cannot show one (a bare X server without fonts); the caller's line on
  // standard error then stands alone.
  bool ShowErrorBox(const std::string& text);

  // Keeps the window answering (repaints, mouse, close) until it is closed.
  void WaitUntilClosed();

  // The windowed scale: the one asked for, or the largest whole one a resized window holds.
  std::int32_t Scale() const { return scale_; }
  bool Fullscreen() const { return fullscreen_; }
  // Minimised: the scheduler's wait lasts until the window is restored (or closed).
  bool Paused() const { return minimised_; }
  void ToggleFullscreen();
  // What the window changed of what it was asked (a scale too large for the screen); "" none.
  const std::string& Notice() const { return notice_; }
  ViewMap MouseView() const;  // window position -> game pixel, as the mouse handlers get it
  std::int64_t FramesShown() const { return framesShown_; }
  SDL_Window* NativeWindow() const { return window_; }

  // FormWindow: the client size is in game pixels (the window is `Scale()` times larger);
  // outer size, screen size and position are in screen pixels.
  void SetClientSize(std::int32_t width, std::int32_t height) override;
  void OuterSize(std::int32_t& width, std::int32_t& height) override;
  void ScreenSize(std::int32_t& width, std::int32_t& height) override;
  void MoveTo(std::int32_t left, std::int32_t top) override;

  // PaintBox: presents the frame at once; only the pixels that changed since the last one
  // are converted and sent to the display: the parts the damage names, or when it is
  // unknown, what a comparison with the last frame finds. A frame shown with its damage
  // is read again to repaint the window (an expose, a resize) until the next Show, so it
  // must stay as it was shown and alive until then.
  void Show(const TBrixBitmap& frame, const FrameDamage& damage) override;

  // TimerHost.
  std::int32_t Now() override;
  void DispatchEvents() override;
  bool Terminated() override { return closed_; }
  void Wait(std::int32_t maxMs) override;

 private:
  void ChooseScale(const WindowOptions& options, std::int32_t screenW, std::int32_t screenH);
  void CreateNativeWindow(const WindowOptions& options, std::int32_t screenW, std::int32_t screenH);
  void Handle(const SDL_Event& event);
  void Redraw();
  SDL_Surface* Surface(bool& repaint);
  // The surface to paint a frame's changed parts into; nullptr when there is none, or when
  // the whole frame had to be painted and sent instead.
  SDL_Surface* SurfaceForParts(bool repaint);
  ViewMap SurfaceView(const SDL_Surface& surface) const;
  void PaintAll(SDL_Surface& surface);
  PixelRect Paint(SDL_Surface& surface, const PixelRect& part);
  void Push(const PixelRect* rect);
  void PushParts();

  SDL_Window* window_ = nullptr;
  // Where texels are written when the window surface is not a packed 32-bit format; SDL
  // converts from it.
  SDL_Surface* staging_ = nullptr;
  bool directTexels_ = true;
  TexelLayout layout_;
  // The latest frame: the caller's own when it came with its damage, else a copy; neither:
  // white.
  struct Shown {
    const ColorTriple* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
  };
  Shown Latest() const;
  const TBrixBitmap* latest_ = nullptr;
  ShownFrame onScreen_;
  std::vector<RowRun> runs_;  // what the latest frame changed
  std::vector<PixelRect> pushed_;  // window pixels to send, one rectangle per damaged part
  std::vector<SDL_Rect> areas_;    // the same as SDL takes them

  Session* session_ = nullptr;
  std::uint32_t windowId_ = 0;
  std::uint32_t heldButtons_ = 0;  // SDL button mask, as of the last event handled
  bool fullscreen_ = false;
  std::int32_t scale_ = 1;
  std::int32_t gameW_ = ClientWidth;
  std::int32_t gameH_ = ClientHeight;
  bool shown_ = false;
  bool closed_ = false;
  bool minimised_ = false;
  bool pumped_ = false;  // the wait has pumped the events since the last dispatch
  std::int64_t framesShown_ = 0;
  std::string notice_;
};

}  // namespace vexa
