#include "lib/BrixForm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexa {
namespace {

using ::testing::ElementsAre;

// A window with a frame around its client area, on a screen of a given size.
class FakeWindow : public FormWindow {
 public:
  void SetClientSize(std::int32_t width, std::int32_t height) override {
    log.push_back("size " + std::to_string(width) + "x" + std::to_string(height));
    clientW = width;
    clientH = height;
  }
  void OuterSize(std::int32_t& width, std::int32_t& height) override {
    width = clientW + frameW;
    height = clientH + frameH;
  }
  void ScreenSize(std::int32_t& width, std::int32_t& height) override {
    width = screenW;
    height = screenH;
  }
  void MoveTo(std::int32_t left, std::int32_t top) override {
    log.push_back("move " + std::to_string(left) + "," + std::to_string(top));
  }

  std::int32_t clientW = 737, clientH = 510;
  std::int32_t frameW = 6, frameH = 29;
  std::int32_t screenW = 1920, screenH = 1080;
  std::vector<std::string> log;
};

TEST(BrixForm, SetClientSizeRecordsTheSizeAndForwardsItToTheWindow) {
  FakeWindow window;
  TBrixForm form(&window);
  EXPECT_EQ(form.ClientWidth(), 737);  // the form resource's size until replaced
  form.SetClientSize(600, 450);
  EXPECT_EQ(form.ClientWidth(), 600);
  EXPECT_EQ(form.ClientHeight(), 450);
  EXPECT_THAT(window.log, ElementsAre("size 600x450"));
}

TEST(BrixForm, CenterOnScreenCentresTheOuterFrameTruncatingTowardZero) {
  struct {
    std::int32_t screenW, screenH, frameW, frameH;
    std::int32_t left, top;
  } cases[] = {
      {1920, 1080, 6, 29, 657, 300},  // the frame counts, not just the client area
      {1920, 1080, 0, 0, 660, 315},
      {1001, 451, 0, 0, 200, 0},      // odd remainders round down
      {500, 400, 6, 29, -53, -39},    // larger than the screen: -106/2, -79/2 toward zero
      {599, 449, 0, 0, 0, 0},         // -1/2 is 0, not -1
  };
  for (const auto& c : cases) {
    FakeWindow window;
    window.screenW = c.screenW;
    window.screenH = c.screenH;
    window.frameW = c.frameW;
    window.frameH = c.frameH;
    TBrixForm form(&window);
    form.SetClientSize(600, 450);
    form.CenterOnScreen();
    EXPECT_EQ(form.Left(), c.left) << c.screenW << "x" << c.screenH;
    EXPECT_EQ(form.Top(), c.top) << c.screenW << "x" << c.screenH;
    EXPECT_EQ(window.log.back(), "move " + std::to_string(c.left) + "," + std::to_string(c.top));
  }
}

TEST(BrixForm, WithoutAWindowTheFormSitsAtTheOrigin) {
  TBrixForm form(nullptr);
  form.SetClientSize(600, 450);
  form.CenterOnScreen();
  EXPECT_EQ(form.ClientWidth(), 600);
  EXPECT_EQ(form.ClientHeight(), 450);
  EXPECT_EQ(form.Left(), 0);
  EXPECT_EQ(form.Top(), 0);
}

TEST(BrixForm, ConsumesOnlyAltAndF10) {
  struct {
    std::uint32_t key;
    bool consumed;
  } cases[] = {{18, true}, {121, true}, {17, false}, {19, false}, {120, false},
               {122, false}, {0, false}, {'A', false}, {18 + 256, false}};
  for (const auto& c : cases) EXPECT_EQ(TBrixForm::ConsumesKey(c.key), c.consumed) << c.key;
}

}  // namespace
}  // namespace vexa
