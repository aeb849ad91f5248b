#include "lib/BrixForm.h"

#include "lib/Checked.h"

namespace vexa {

TBrixForm::TBrixForm(FormWindow* window) : window_(window) {}

void TBrixForm::SetClientSize(std::int32_t width, std::int32_t height) {
  clientWidth_ = width;
  clientHeight_ = height;
  if (window_) window_->SetClientSize(width, height);
}

// Centres the outer frame, not the client area; a form larger than the screen gets a
// negative edge rather than being pushed back on screen.
void TBrixForm::CenterOnScreen() {
  std::int32_t outerW = clientWidth_, outerH = clientHeight_;
  std::int32_t screenW = clientWidth_, screenH = clientHeight_;
  if (window_) {
    window_->OuterSize(outerW, outerH);
    window_->ScreenSize(screenW, screenH);
  }
  left_ = chk::Div(chk::Sub(screenW, outerW), 2);
  top_ = chk::Div(chk::Sub(screenH, outerH), 2);
  if (window_) window_->MoveTo(left_, top_);
}

bool TBrixForm::ConsumesKey(std::uint32_t keyCode) { return keyCode == 18 || keyCode == 121; }

}  // namespace vexa
