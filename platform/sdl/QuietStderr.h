#pragma once
// Sound and display libraries print their own complaints while SDL probes them (ALSA's
// "cannot find card", Wayland's missing runtime folder). The game says what matters in
// one line of its own, so the probing runs with standard error sent nowhere.
namespace vexa {

class QuietStderr {
 public:
  QuietStderr();
  ~QuietStderr();
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace vexa
