// The 5 ms step clock and the window scale.
#include <gtest/gtest.h>

#include "shell/game.h"
#include "tests/support/script.h"

namespace {

int CountDueSteps() {
  int steps = 0;
  while (ShouldTick()) ++steps;
  return steps;
}

class StepClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    script::Reset();
    lastTime = script::Now();
    tickAccumulator = 0;
  }
};

TEST_F(StepClockTest, TwoSecondsWithoutCallsGiveFourHundredSteps) {
  script::Advance(2000);
  EXPECT_EQ(CountDueSteps(), 400);
  EXPECT_FALSE(ShouldTick());
}

TEST_F(StepClockTest, RemaindersCarryOver) {
  script::Advance(7);
  EXPECT_EQ(CountDueSteps(), 1);
  script::Advance(3);
  EXPECT_EQ(CountDueSteps(), 1);  // 2 left over + 3
  script::Advance(4);
  EXPECT_EQ(CountDueSteps(), 0);
  script::Advance(1);
  EXPECT_EQ(CountDueSteps(), 1);
}

TEST_F(StepClockTest, AMillisecondBetweenTheTwoClockReadsIsLost) {
  script::SetMillisPerClockRead(1);
  script::Advance(10);
  // Each ShouldTick reads the clock twice, and the millisecond between the
  // reads is never counted: half of the time passes unseen.
  int steps = 0;
  for (int call = 0; call < 100; ++call) steps += ShouldTick() ? 1 : 0;
  EXPECT_EQ(steps, (10 + 99) / 5);
}

TEST_F(StepClockTest, FortyHoursAwayAreAllCountedAndTheClockStillStops) {
  const int64_t fortyHours = int64_t{40} * 3600 * 1000;
  script::Advance(fortyHours);
  EXPECT_EQ(CountDueSteps(), 28'800'000);
  EXPECT_FALSE(ShouldTick());
}

TEST(ChooseScale, DividesByFourHundredEightyOneAndNeverGivesZero) {
  struct Tcase { int width; uint8_t scale; };
  const Tcase cases[] = {{1920, 3}, {1366, 2}, {2560, 5}, {1440, 2}, {481, 1}, {480, 1},
                         {320, 1},  {0, 1},    {-5, 1},   {481 * 256, 1}, {481 * 257, 1}};
  for (const Tcase& c : cases) EXPECT_EQ(ChooseScale(c.width), c.scale) << c.width;
}

}  // namespace
