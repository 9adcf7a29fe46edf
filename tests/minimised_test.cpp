// The main loop while the window is minimised, on the scripted platform: no
// frames are drawn, the game sleeps between steps, and the steps, commands
// included, still run on time.
#include <gtest/gtest.h>

#include <vector>

#include "game/world.h"
#include "shell/game.h"
#include "tests/support/script.h"
#include "tests/support/temp_dir.h"

namespace {

class MinimisedWindow : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    script::Reset();
    script::SetFrameLimit(20000);
    // A level-1 red emitter at (10, 10) facing right counts the steps: its
    // target gains a unit every 1000 steps and its charge holds the rest.
    generators = {Tgenerator{10, 10, 0, 1, 0, kFacingRight}};
    genCount[0] = 1;
    ASSERT_TRUE(SaveGame());
    script::Reset();
    script::OnPresent([this](int) { frameTimes.push_back(script::Now()); });
    script::KeyPress(100, kKeyEnter);  // leave the help screen
  }

  static int64_t StepsCounted() {
    EXPECT_EQ(LoadGame(), kSaveLoaded);
    return int64_t{grid[11][10][0]} * kChargePerAction + generators.at(0).charge;
  }

  std::vector<int64_t> frameTimes;
};

TEST_F(MinimisedWindow, DrawsNothingAndStillAnswersACloseRequestOnTime) {
  script::SetWindowVisible(1000, false);
  script::Close(3000);  // e.g. a signal while minimised: no need to restore first
  ASSERT_EQ(RunGame(), 0);

  EXPECT_LT(script::Now(), 3000 + 2 * kTickLength) << "the close request waited";
  EXPECT_GT(script::WaitCount(), 0);
  for (const int64_t t : frameTimes) EXPECT_LE(t, 1000 + 16) << "a frame was drawn while minimised";
  script::Reset();
  const int64_t steps = StepsCounted();
  EXPECT_GE(steps, 3000 / kTickLength - 1);
  EXPECT_LE(steps, 3000 / kTickLength + 2);
}

TEST_F(MinimisedWindow, PlayGoesOnWhereTheClockSaysOnceShownAgain) {
  script::SetWindowVisible(1000, false);
  script::SetWindowVisible(6000, true);
  script::Close(8000);
  ASSERT_EQ(RunGame(), 0);

  int drawnWhileHidden = 0, drawnAfter = 0;
  for (const int64_t t : frameTimes) {
    if (t > 1000 + 16 && t <= 6000) ++drawnWhileHidden;
    if (t > 6000) ++drawnAfter;
  }
  EXPECT_EQ(drawnWhileHidden, 0);
  EXPECT_GT(drawnAfter, 100);  // about 2 s of 16 ms frames
  script::Reset();
  const int64_t steps = StepsCounted();
  EXPECT_GE(steps, 8000 / kTickLength - 1);
  EXPECT_LE(steps, (8000 + 16) / kTickLength + 2);
}

}  // namespace
