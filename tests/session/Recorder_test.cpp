#include "session/Recorder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vexa {
namespace {

TEST(Recorder, KeepsEventsWithTheirStepsAndReadsBackAsAReplay) {
  Recorder rec(4242, SaveImage(34, 0xfe), Language::English);
  rec.Add(0, MouseEvent{MouseEventKind::Move, MouseButton::Left, ShiftState{}, 10, 20});
  rec.StepDone();
  rec.StepDone();
  rec.Add(2, MouseEvent{MouseEventKind::Down, MouseButton::Right, ShiftState{false, true, false}, -7, 3});
  rec.Add(2, MouseEvent{MouseEventKind::Up, MouseButton::Right, ShiftState{}, 650, 3});
  rec.StepDone();

  std::istringstream in(rec.Text());
  const Replay r = ParseReplay(in);
  EXPECT_EQ(r.seed, 4242u);
  EXPECT_EQ(r.steps, 3);
  EXPECT_EQ(r.save, SaveImage(34, 0xfe));
  EXPECT_EQ(r.language, Language::English);  // the language the game started in
  ASSERT_EQ(r.events.size(), 3u);
  EXPECT_EQ(r.events[0].step, 0);
  EXPECT_EQ(r.events[1].step, 2);
  EXPECT_EQ(r.events[1].kind, MouseEventKind::Down);
  EXPECT_EQ(r.events[1].button, MouseButton::Right);
  EXPECT_EQ(r.events[2].x, 650);
}

TEST(Recorder, AGameStartedWithoutASaveSaysSo) {
  std::istringstream in(Recorder(1).Text());
  const Replay r = ParseReplay(in);
  ASSERT_TRUE(r.save);
  EXPECT_TRUE(r.save->empty());
  EXPECT_EQ(r.language, Language::Japanese);
}

}  // namespace
}  // namespace vexa
