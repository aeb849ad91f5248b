#include "platform/windows/GameWindow.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <utility>

#include "platform/windows/WideText.h"

namespace vexa {

namespace {

constexpr const wchar_t* className = L"VexaGameWindow";
constexpr DWORD windowedStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD fullscreenStyle = WS_POPUP;
constexpr UINT_PTR dragTimer = 1;
constexpr UINT stepMs = 50;

// Ctrl+C or a closed console ends the game as gently as closing the window, so a recording is
// still written; the handler runs on a thread of its own.
std::atomic<bool> endAsked{false};
std::atomic<HWND> liveWindow{nullptr};
HANDLE finished = nullptr;  // set once the window is gone, after the game's last writes

BOOL WINAPI OnConsoleEnd(DWORD event) {
  endAsked = true;
  if (HWND w = liveWindow.load()) PostMessageW(w, WM_NULL, 0, 0);
  // Windows ends the process when this returns from a console's close, logoff or shutdown.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && finished) WaitForSingleObject(finished, 4000);
  return TRUE;
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* window = reinterpret_cast<GameWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
  return window->Handle(hwnd, message, wParam, lParam);
}

void RegisterOnce() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  // Its own device context keeps the stretch mode from one frame to the next.
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = WindowProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));  // the program's icon, when it has one
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = className;
  // No background brush: every pixel is painted, so nothing flashes before a frame.
  if (!RegisterClassExW(&wc)) throw PlatformError("cannot register the game window (error " +
                                                  std::to_string(GetLastError()) + ")");
  registered = true;
}

// The outer size of a window whose client area is width x height.
SIZE OuterOf(std::int32_t width, std::int32_t height, DWORD style) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT MonitorOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  const HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                  : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (!GetMonitorInfoW(monitor, &info))
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return info.rcMonitor;
}

ShiftState ToShiftState(WPARAM keys) {
  ShiftState s;
  s.left = (keys & MK_LBUTTON) != 0;
  s.right = (keys & MK_RBUTTON) != 0;
  s.middle = (keys & MK_MBUTTON) != 0;
  return s;
}

void FillBlack(HDC dc, LONG left, LONG top, LONG right, LONG bottom) {
  if (right <= left || bottom <= top) return;
  const RECT r{left, top, right, bottom};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

}  // namespace

GameWindow::GameWindow(const WindowOptions& options) : fullscreen_(options.fullscreen) {
  // Window sizes are the screen's own pixels: a scaled-up desktop must not blur the game.
  SetProcessDPIAware();
  RegisterOnce();
  const RECT screen = MonitorOf(nullptr);
  const std::int32_t screenW = screen.right - screen.left, screenH = screen.bottom - screen.top;
  scale_ = options.scale == 0 ? AutoScale(screenW, screenH, gameW_, gameH_) : std::clamp(options.scale, 1, maxScale);
  const std::int32_t fits = FullscreenView(screenW, screenH, gameW_, gameH_).scale;
  if (options.fitScreen && screenW > 0 && scale_ > fits) {
    notice_ = "scale " + std::to_string(scale_) + " does not fit the " + std::to_string(screenW) + " x " +
              std::to_string(screenH) + " screen; using " + std::to_string(fits);
    scale_ = fits;
  }
  const DWORD style = fullscreen_ ? fullscreenStyle : windowedStyle;
  const SIZE outer = OuterOf(gameW_ * scale_, gameH_ * scale_, style);
  RECT place{CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy};
  if (fullscreen_) place = RECT{screen.left, screen.top, screenW, screenH};
  window_ = CreateWindowExW(0, className, WideOf(options.title).c_str(), style, place.left, place.top, place.right,
                            place.bottom, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) throw PlatformError("cannot open the game window (error " + std::to_string(GetLastError()) + ")");
  dc_ = GetDC(window_);
  // Whole scales only, so each game pixel becomes a block of one colour.
  SetStretchBltMode(dc_, COLORONCOLOR);
  // The 50 ms step wants a 1 ms clock and wake-up, not the system's default 15.6 ms tick.
  timeBeginPeriod(1);
  if (!finished) finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  endAsked = false;
  liveWindow = window_;
  SetConsoleCtrlHandler(OnConsoleEnd, TRUE);
}

GameWindow::~GameWindow() {
  liveWindow = nullptr;
  timeEndPeriod(1);
  ReleaseDC(window_, dc_);
  DestroyWindow(window_);
  if (finished) SetEvent(finished);
}

void GameWindow::ShowWindow() {
  ::ShowWindow(window_, SW_SHOW);
  shown_ = true;
  UpdateWindow(window_);
}

bool ShowStartErrorBox(const std::string& text) {
  return MessageBoxW(nullptr, WideOf(text).c_str(), WideOf(GameTitle).c_str(), MB_OK | MB_ICONERROR) != 0;
}

bool GameWindow::ShowErrorBox(const std::string& text) {
  return MessageBoxW(window_, WideOf(text).c_str(), WideOf(GameTitle).c_str(), MB_OK | MB_ICONERROR) != 0;
}

void GameWindow::WaitUntilClosed() {
  while (!closed_) {
    DispatchEvents();
    if (!closed_) MsgWaitForMultipleObjectsEx(0, nullptr, 1000, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

ViewMap GameWindow::ClientView() const {
  RECT client{};
  GetClientRect(window_, &client);
  return FullscreenView(client.right, client.bottom, gameW_, gameH_);
}

ViewMap GameWindow::MouseView() const { return ClientView(); }

void GameWindow::ToggleFullscreen() {
  fullscreen_ = !fullscreen_;
  const LONG_PTR visible = IsWindowVisible(window_) ? WS_VISIBLE : 0;
  if (fullscreen_) {
    const RECT screen = MonitorOf(window_);
    SetWindowLongPtrW(window_, GWL_STYLE, fullscreenStyle | visible);
    SetWindowPos(window_, HWND_TOP, screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
                 SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
  } else {
    SetWindowLongPtrW(window_, GWL_STYLE, windowedStyle | visible);
    PlaceWindowed();
  }
  InvalidateRect(window_, nullptr, FALSE);
}

// Back at the remembered scale, centred on the screen the window is on.
void GameWindow::PlaceWindowed() {
  const RECT screen = MonitorOf(window_);
  const SIZE outer = OuterOf(gameW_ * scale_, gameH_ * scale_, windowedStyle);
  const LONG left = screen.left + (screen.right - screen.left - outer.cx) / 2;
  const LONG top = screen.top + (screen.bottom - screen.top - outer.cy) / 2;
  SetWindowPos(window_, nullptr, left, std::max(top, screen.top), outer.cx, outer.cy,
               SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOOWNERZORDER);
}

void GameWindow::SetClientSize(std::int32_t width, std::int32_t height) {
  gameW_ = width;
  gameH_ = height;
  if (fullscreen_) return;
  const SIZE outer = OuterOf(width * scale_, height * scale_, windowedStyle);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GameWindow::OuterSize(std::int32_t& width, std::int32_t& height) {
  RECT r{};
  GetWindowRect(window_, &r);
  width = r.right - r.left;
  height = r.bottom - r.top;
}

void GameWindow::ScreenSize(std::int32_t& width, std::int32_t& height) {
  const RECT screen = MonitorOf(window_);
  width = screen.right - screen.left;
  height = screen.bottom - screen.top;
}

void GameWindow::MoveTo(std::int32_t left, std::int32_t top) {
  if (fullscreen_) return;
  SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

GameWindow::Shown GameWindow::Latest() const {
  if (latest_) return Shown{latest_->Pixels().data(), latest_->Width(), latest_->Height()};
  if (!onScreen_.Empty()) return Shown{onScreen_.pixels.data(), onScreen_.width, onScreen_.height};
  return Shown{};
}

bool GameWindow::Visible() const { return shown_ && !minimised_ && !IsIconic(window_); }

// One part of the frame, blown up to the view's scale. The frame's rows are already a
// top-down 24-bit DIB's; the rows of the part alone are handed over, so where a top-down
// source rectangle starts never matters.
void GameWindow::Put(HDC dc, const Shown& frame, const PixelRect& wanted, const ViewMap& view) {
  const PixelRect part = Intersection(wanted, PixelRect{0, 0, frame.width, frame.height});
  if (part.Empty()) return;
  const std::int32_t w = part.right - part.left, h = part.bottom - part.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biHeight = -h;
  const void* bits = nullptr;
  std::int32_t sourceX = 0;
  if (frame.width % 4 == 0) {  // 3 bytes a pixel: DIB rows are then 4-byte aligned as they are
    info.bmiHeader.biWidth = frame.width;
    bits = frame.pixels + std::size_t(part.top) * std::size_t(frame.width);
    sourceX = part.left;
  } else {
    const std::size_t stride = (std::size_t(w) * 3 + 3) & ~std::size_t{3};
    rows_.resize(stride * std::size_t(h));
    for (std::int32_t y = 0; y < h; ++y)
      std::copy_n(reinterpret_cast<const unsigned char*>(frame.pixels + std::size_t(part.top + y) * frame.width + part.left),
                  std::size_t(w) * 3, rows_.data() + stride * std::size_t(y));
    info.bmiHeader.biWidth = w;
    bits = rows_.data();
  }
  StretchDIBits(dc, view.offsetX + part.left * view.scale, view.offsetY + part.top * view.scale, w * view.scale,
                h * view.scale, sourceX, 0, w, h, bits, &info, DIB_RGB_COLORS, SRCCOPY);
}

void GameWindow::PaintAll(HDC dc) {
  RECT client{};
  GetClientRect(window_, &client);
  const ViewMap view = ClientView();
  const Shown shown = Latest();
  const std::int32_t w = shown.pixels ? shown.width : gameW_, h = shown.pixels ? shown.height : gameH_;
  const LONG left = view.offsetX, top = view.offsetY;
  const LONG right = left + w * view.scale, bottom = top + h * view.scale;
  FillBlack(dc, 0, 0, client.right, top);
  FillBlack(dc, 0, bottom, client.right, client.bottom);
  FillBlack(dc, 0, top, left, bottom);
  FillBlack(dc, right, top, client.right, bottom);
  if (!shown.pixels) {
    const RECT game{left, top, right, bottom};
    FillRect(dc, &game, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return;
  }
  Put(dc, shown, PixelRect{0, 0, w, h}, view);
}

void GameWindow::Show(const TBrixBitmap& frame, const FrameDamage& damage) {
  if (frame.Width() <= 0 || frame.Height() <= 0) return;
  // A first frame, or one of another size, replaces the white or the old frame's border too.
  const Shown before = Latest();
  bool repaint = !before.pixels || frame.Width() != before.width || frame.Height() != before.height;
  ++framesShown_;
  if (damage.known) {
    // The damage tells what changed since this same frame was shown last; after another, nothing.
    repaint = repaint || latest_ != &frame;
    latest_ = &frame;
    onScreen_ = ShownFrame{};
    if (!Visible()) return;  // restoring repaints from the frame itself
    if (repaint) {
      PaintAll(dc_);
    } else {
      // Each part on its own: the fighters and the bars lie far apart.
      const ViewMap view = ClientView();
      for (const PixelRect& part : damage.rects) Put(dc_, Latest(), part, view);
    }
    GdiFlush();
    return;
  }
  latest_ = nullptr;
  const PixelRect changed = TakeFrame(onScreen_, frame.Pixels().data(), frame.Width(), frame.Height(), runs_);
  if (!Visible()) return;
  if (repaint) PaintAll(dc_);
  else if (!changed.Empty()) Put(dc_, Latest(), changed, ClientView());  // one part: cheaper than a put per run
  GdiFlush();
}

std::int32_t GameWindow::Now() { return static_cast<std::int32_t>(timeGetTime() & 0x7FFFFFFF); }

void GameWindow::DispatchEvents() {
  if (endAsked) closed_ = true;
  MSG msg;
  // No TranslateMessage: the game reads no characters, and Alt+Enter must not beep.
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) closed_ = true;
    DispatchMessageW(&msg);
  }
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void GameWindow::Wait(std::int32_t maxMs) {
  // Minimised, the game pauses: no step runs until the window is back, and then the
  // scheduler runs the one step due, never the ones missed.
  while (minimised_ && !closed_) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 1000, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    DispatchEvents();
  }
  if (closed_ || maxMs <= 0) return;
  MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(maxMs), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// An exception must not unwind through the system's frames around the window procedure: it
// is kept and thrown again by the pump, on the game's own stack.
template <typename F>
void GameWindow::Guarded(F&& f) {
  if (failure_) return;
  try {
    f();
  } catch (...) {
    failure_ = std::current_exception();
  }
}

void GameWindow::Mouse(MouseEventKind kind, MouseButton button, WPARAM wParam, LPARAM lParam) {
  heldButtons_ = wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON);
  // While a button is held the pointer keeps reporting outside the window, so a release out
  // there is still seen.
  if (kind != MouseEventKind::Move) {
    if (heldButtons_ && GetCapture() != window_) SetCapture(window_);
    if (!heldButtons_ && GetCapture() == window_) ReleaseCapture();
  }
  if (kind == MouseEventKind::Move) {
    // Windows repeats a move when nothing moved (a window shown or uncovered); the game and a
    // recording need only real ones.
    if (lParam == lastMove_ && heldButtons_ == lastMoveButtons_) return;
    lastMove_ = lParam;
    lastMoveButtons_ = heldButtons_;
  }
  if (!session_) return;
  std::int32_t x = 0, y = 0;
  WindowToGame(MouseView(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), x, y);
  Guarded([&] { session_->Post(MouseEvent{kind, button, ToShiftState(heldButtons_), x, y}); });
}

void GameWindow::Resized(std::int32_t width, std::int32_t height) {
  if (fullscreen_) return;
  // Below one whole frame it grows back, wherever nothing else held the minimum.
  if (width < gameW_ || height < gameH_) {
    const SIZE outer = OuterOf(std::max(width, gameW_), std::max(height, gameH_), windowedStyle);
    SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // A window resized by hand sets the scale it goes back to after full screen.
  scale_ = FullscreenView(width, height, gameW_, gameH_).scale;
}

LRESULT GameWindow::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  window_ = hwnd;  // its first messages come before CreateWindowExW has returned it
  switch (message) {
    case WM_CLOSE:
      closed_ = true;  // the window itself goes with this object, after the game's last writes
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window_, &ps);
      PaintAll(dc);
      EndPaint(window_, &ps);
      return 0;
    }
    case WM_SIZE:
      minimised_ = wParam == SIZE_MINIMIZED;
      if (!minimised_) {
        Resized(LOWORD(lParam), HIWORD(lParam));
        InvalidateRect(window_, nullptr, FALSE);
      }
      return 0;
    case WM_GETMINMAXINFO:
      if (!fullscreen_) {
        // Never smaller than one whole frame, which would crop the game.
        const SIZE least = OuterOf(gameW_, gameH_, windowedStyle);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = POINT{least.cx, least.cy};
      }
      return 0;
    case WM_LBUTTONDOWN: Mouse(MouseEventKind::Down, MouseButton::Left, wParam, lParam); return 0;
    case WM_LBUTTONUP: Mouse(MouseEventKind::Up, MouseButton::Left, wParam, lParam); return 0;
    case WM_RBUTTONDOWN: Mouse(MouseEventKind::Down, MouseButton::Right, wParam, lParam); return 0;
    case WM_RBUTTONUP: Mouse(MouseEventKind::Up, MouseButton::Right, wParam, lParam); return 0;
    case WM_MBUTTONDOWN: Mouse(MouseEventKind::Down, MouseButton::Middle, wParam, lParam); return 0;
    case WM_MBUTTONUP: Mouse(MouseEventKind::Up, MouseButton::Middle, wParam, lParam); return 0;
    case WM_MOUSEMOVE: Mouse(MouseEventKind::Move, MouseButton::Left, wParam, lParam); return 0;
    case WM_KEYDOWN:
      // The game itself reads no keys; F11 and Alt+Enter are the usual full-screen toggle.
      if (wParam == VK_F11 && !(lParam & (1 << 30))) ToggleFullscreen();
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_RETURN && (lParam & (1 << 29)) && !(lParam & (1 << 30))) {
        ToggleFullscreen();
        return 0;
      }
      break;  // Alt+F4 and the like
    case WM_SYSCOMMAND:
      // Alt or F10 alone would open the absent menu and hold the steps in its loop, as the
      // form has always swallowed them.
      if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_ENTERSIZEMOVE:
    case WM_ENTERMENULOOP:
      // Dragging or sizing the window runs the system's own message loop; a timer keeps the
      // steps going inside it.
      SetTimer(window_, dragTimer, stepMs / 5, nullptr);
      return 0;
    case WM_EXITSIZEMOVE:
    case WM_EXITMENULOOP:
      KillTimer(window_, dragTimer);
      return 0;
    case WM_TIMER:
      if (wParam == dragTimer && session_ && !minimised_) Guarded([] { TBrixTimer::RunPass(); });
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace vexa
