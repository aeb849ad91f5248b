#pragma once
// The base of the main form: client size, centring, and the keys it swallows.
#include <cstdint>

namespace vexa {

enum class MouseButton { Left, Right, Middle };

// The buttons held during a mouse event.
struct ShiftState {
  bool left = false;
  bool right = false;
  bool middle = false;
};

enum class MouseEventKind { Down, Up, Move };

// One event of the paint box, X and Y in game pixels, as it reaches the game: live from a
// window or a page, or read back from a replay.
struct MouseEvent {
  MouseEventKind kind = MouseEventKind::Move;
  MouseButton button = MouseButton::Left;  // down and up
  ShiftState held;                         // the buttons held
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// The real window behind a form; absent when the game runs headless.
class FormWindow {
 public:
  virtual ~FormWindow() = default;
  virtual void SetClientSize(std::int32_t width, std::int32_t height) = 0;
  virtual void OuterSize(std::int32_t& width, std::int32_t& height) = 0;  // frame included
  virtual void ScreenSize(std::int32_t& width, std::int32_t& height) = 0;
  virtual void MoveTo(std::int32_t left, std::int32_t top) = 0;
};

class TBrixForm {
 public:
  explicit TBrixForm(FormWindow* window);
  virtual ~TBrixForm() = default;

  void SetClientSize(std::int32_t width, std::int32_t height);
  void CenterOnScreen();
  static bool ConsumesKey(std::uint32_t keyCode);  // Alt (18) and F10 (121)

  std::int32_t ClientWidth() const { return clientWidth_; }
  std::int32_t ClientHeight() const { return clientHeight_; }
  std::int32_t Left() const { return left_; }
  std::int32_t Top() const { return top_; }

 protected:
  FormWindow* window_;

 private:
  std::int32_t clientWidth_ = 737;
  std::int32_t clientHeight_ = 510;
  std::int32_t left_ = 330;
  std::int32_t top_ = 270;
};

}  // namespace vexa
