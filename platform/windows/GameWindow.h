#pragma once
// The game's one window on Win32 and GDI: the form's frame, the paint box every step's frame
// is put in, and the message pump and clock the scheduler loop runs on.
#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "lib/BrixBmp.h"
#include "lib/BrixForm.h"
#include "lib/BrixTimer.h"
#include "platform/shared/FrameDiff.h"
#include "platform/shared/ViewScale.h"
#include "platform/shared/WindowOptions.h"
#include "record/GameRecord.h"
#include "session/Session.h"

struct HWND__;
struct HDC__;

namespace vexa {


class GameWindow : public FormWindow, public PaintBox, public TimerHost {
 public:
  // Creates the window hidden; the form sizes and centres it, then ShowWindow shows it.
  explicit GameWindow(const WindowOptions& options);
  ~GameWindow() override;
  GameWindow(const GameWindow&) = delete;
  GameWindow& operator=(const GameWindow&) = delete;

  // Where the window posts its mouse events, in game pixels; none: they are dropped, and the
  // steps no longer run while the window is dragged.
  void SetSession(Session* session) { session_ = session; }

  // Shows the window, white until the first frame arrives.
  void ShowWindow();

  // After the steps stopped on an error: a modal box over the window; false when none could
  // be shown.
  bool ShowErrorBox(const std::string& text);
  // Keeps the window answering (repaints, close) until it is closed.
  void WaitUntilClosed();

  std::int32_t Scale() const { return scale_; }
  bool Fullscreen() const { return fullscreen_; }
  bool Paused() const { return minimised_; }
  void ToggleFullscreen();
  // What the window changed of what it was asked (a scale too large for the screen); "" none.
  const std::string& Notice() const { return notice_; }
  ViewMap MouseView() const;  // client position -> game pixel
  std::int64_t FramesShown() const { return framesShown_; }

  // FormWindow: the client size is in game pixels (the window is `Scale()` times larger);
  // outer size, screen size and position are in screen pixels.
  void SetClientSize(std::int32_t width, std::int32_t height) override;
  void OuterSize(std::int32_t& width, std::int32_t& height) override;
  void ScreenSize(std::int32_t& width, std::int32_t& height) override;
  void MoveTo(std::int32_t left, std::int32_t top) override;

  // PaintBox: puts only what changed: the parts the damage names, or when it is unknown, what
  // a comparison with the last frame finds. A frame shown with its damage is read again for
  // a repaint (uncovered, resized, restored) until the next Show, so it must stay as shown.
  void Show(const TBrixBitmap& frame, const FrameDamage& damage) override;

  // TimerHost.
  std::int32_t Now() override;
  void DispatchEvents() override;
  bool Terminated() override { return closed_; }
  void Wait(std::int32_t maxMs) override;

  // The window procedure's way in; not for callers.
  std::intptr_t Handle(HWND__* hwnd, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

 private:
  struct Shown {
    const ColorTriple* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
  };
  Shown Latest() const;
  bool Visible() const;
  ViewMap ClientView() const;
  void PaintAll(HDC__* dc);
  void Put(HDC__* dc, const Shown& frame, const PixelRect& part, const ViewMap& view);
  void Mouse(MouseEventKind kind, MouseButton button, std::uintptr_t wParam, std::intptr_t lParam);
  void Resized(std::int32_t width, std::int32_t height);
  void PlaceWindowed();
  template <typename F>
  void Guarded(F&& f);

  HWND__* window_ = nullptr;
  HDC__* dc_ = nullptr;  // the window's own: it keeps its stretch mode
  const TBrixBitmap* latest_ = nullptr;
  ShownFrame onScreen_;  // the latest frame when it came without its damage
  std::vector<RowRun> runs_;
  std::vector<unsigned char> rows_;  // a part copied when the frame's rows are not 4-byte aligned
  Session* session_ = nullptr;
  std::exception_ptr failure_;  // thrown inside the window procedure, rethrown by the pump
  std::uintptr_t heldButtons_ = 0;  // MK_ mask, as of the last mouse message
  std::intptr_t lastMove_ = -1;     // the last move's position and buttons, to drop repeats
  std::uintptr_t lastMoveButtons_ = 0;
  bool fullscreen_ = false;
  std::int32_t scale_ = 1;
  std::int32_t gameW_ = ClientWidth;
  std::int32_t gameH_ = ClientHeight;
  bool shown_ = false;
  bool closed_ = false;
  bool minimised_ = false;
  std::int64_t framesShown_ = 0;
  std::string notice_;
};

}  // namespace vexa
