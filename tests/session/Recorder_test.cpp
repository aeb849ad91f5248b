#include "session/Recorder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vexa {
namespace {

struct Tally : MouseTarget {
  void PaintBoxMainMouseDown(MouseButton, ShiftState, std::int32_t x, std::int32_t) override { Note('d', x); }
  void PaintBoxMainMouseMove(ShiftState, std::int32_t x, std::int32_t) override { Note('m', x); }
  void PaintBoxMainMouseUp(MouseButton, ShiftState, std::int32_t x, std::int32_t) override { Note('u', x); }
  // Appended, not "d" + std::to_string(x), which GCC 12 at -O3 falsely warns of (-Wrestrict).
  void Note(char kind, std::int32_t x) { log.append(1, kind).append(std::to_string(x)); }
  std::string log;
};

TEST(Recorder, NumbersEventsByTheStepTheyPrecedeAndReadsBackAsAReplay) {
  Tally form;
  Recorder rec(form, 4242, SaveImage(34, 0xfe));
  rec.PaintBoxMainMouseMove(ShiftState{}, 10, 20);
  rec.StepDone();
  rec.StepDone();
  rec.PaintBoxMainMouseDown(MouseButton::Right, ShiftState{false, true, false}, -7, 3);
  rec.PaintBoxMainMouseUp(MouseButton::Right, ShiftState{}, 650, 3);
  rec.StepDone();
  EXPECT_EQ(form.log, "m10d-7u650");  // every event still reaches the form

  std::istringstream in(rec.Text());
  const Replay r = ParseReplay(in);
  EXPECT_EQ(r.seed, 4242u);
  EXPECT_EQ(r.steps, 3);
  EXPECT_EQ(r.save, SaveImage(34, 0xfe));
  ASSERT_EQ(r.events.size(), 3u);
  EXPECT_EQ(r.events[0].step, 0);
  EXPECT_EQ(r.events[1].step, 2);
  EXPECT_EQ(r.events[1].kind, ReplayEventKind::Down);
  EXPECT_EQ(r.events[1].button, MouseButton::Right);
  EXPECT_EQ(r.events[2].x, 650);
}

TEST(Recorder, AGameStartedWithoutASaveSaysSo) {
  Tally form;
  std::istringstream in(Recorder(form, 1).Text());
  const Replay r = ParseReplay(in);
  ASSERT_TRUE(r.save);
  EXPECT_TRUE(r.save->empty());
}

}  // namespace
}  // namespace vexa
