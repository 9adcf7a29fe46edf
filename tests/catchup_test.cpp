// Catching up after an absence through the main loop: which input keeps the
// steps from batching, and eight hours on the help screen against plain stepping.
#include <gtest/gtest.h>

#include <string>

#include "game/world.h"
#include "shell/game.h"
#include "shell/services.h"
#include "tests/support/script.h"
#include "tests/support/snapshot.h"
#include "tests/support/worlds.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int64_t kEightHoursMillis = int64_t{8} * 60 * 60 * 1000;
constexpr int kScale = 3;  // the scripted desktop is 1920 wide

// ---- What counts as pending -------------------------------------------------------

TEST(CommandsPending, SeesExactlyTheInputTheCommandsAct) {
  struct Tcase {
    const char* what;
    script::Tevent event;
    bool pending;
  };
  using E = script::Tevent;
  const Tcase cases[] = {
      {"nothing", {E::kMove, 100, 100}, false},
      {"an unbound key", {E::kKeyDown, 'Q'}, false},
      {"left Shift alone", {E::kKeyDown, kKeyLeftShift}, false},
      {"right Shift", {E::kKeyDown, kKeyRightShift}, false},
      {"the middle button", {E::kButtonDown, kButtonMiddle}, false},
      {"a facing key", {E::kKeyDown, kKeyLeft}, true},
      {"the second key of a pair", {E::kKeyDown, 'W'}, true},
      {"the extractor key", {E::kKeyDown, 'E'}, true},
      {"a colour key", {E::kKeyDown, 'C'}, true},
      {"Enter", {E::kKeyDown, kKeyEnter}, true},
      {"Space", {E::kKeyDown, kKeySpace}, true},
      {"Escape", {E::kKeyDown, kKeyEscape}, true},
      {"a left click", {E::kButtonDown, kButtonLeft}, true},
      {"the right button held", {E::kButtonDown, kButtonRight}, true},
      {"a close request", {E::kClose}, true},
  };
  for (const Tcase& c : cases) {
    script::Reset();
    script::At(0, c.event);
    EXPECT_EQ(CommandsPending(), c.pending) << c.what;
    EXPECT_EQ(CommandsPending(), c.pending) << c.what << ", asked again: a peek consumes nothing";
  }
  // The hit is still there for the commands to read.
  script::Reset();
  script::KeyPress(0, 'G');
  ASSERT_TRUE(CommandsPending());
  EXPECT_EQ(KeyHits('G'), 1);
  EXPECT_FALSE(CommandsPending());
  // A left button still held after its click was read is nothing to act on.
  script::ButtonDown(1, kButtonLeft);
  script::Advance(1);
  ASSERT_TRUE(CommandsPending());
  EXPECT_EQ(ButtonHits(kButtonLeft), 1);
  EXPECT_FALSE(CommandsPending());
  EXPECT_TRUE(ButtonHeld(kButtonLeft));
}

// ---- Eight hours away ----------------------------------------------------------------

// Green counts steps: an emitter feeds an extractor one unit a step, so the
// green balance grows by exactly one per step. Red is where the click buys: a
// level-1000 emitter keeps the cell (21, 10) stocked for the extractor bought
// there. Blue records below row 15 give the fast path chains of every speed.
void BuildWorld() {
  script::Reset();
  generators.push_back(Record(10, 10, 1, kFacingRight, kLevelCeiling));
  generators.push_back(Record(11, 10, 1, kFacingExtractor, kLevelCeiling));
  generators.push_back(Record(20, 10, 0, kFacingRight, kLevelCeiling));
  const int levels[] = {1, 2, 3, 7, 250, 999, 1000, 500};
  for (int i = 0; i < 8; ++i) {
    const int x = 4 + 5 * i;
    generators.push_back(Record(x, 20, 2, kFacingExtractor, levels[i], 37 * i));
    generators.push_back(Record(x, 21, 2, kFacingUp, levels[(i + 3) % 8], 101 * i));
    generators.push_back(Record(x + 1, 20, 2, kFacingLeft, levels[(i + 5) % 8], 13 * i));
    grid[x][20][2] = static_cast<uint8_t>(i % 2 == 0 ? 0 : 255);
  }
  genCount[0] = 1;
  genCount[1] = 2;
  genCount[2] = 24;
  money[0] = 100;
  money[1] = 7;
  money[2] = 2'000'000'000;
}

class EightHoursAway : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    BuildWorld();
    ASSERT_TRUE(SaveGame());
    start_ = Capture();
    script::Reset();
  }

  // Plain stepping from the saved world: `steps` steps, with the left click
  // on (21, 10) read by the commands of step `clickStep`.
  Tsnapshot SteppedPlainly(int64_t steps, int64_t clickStep) {
    script::Reset();
    Restore(start_);
    selFacing = kFacingExtractor;
    for (int64_t step = 1; step <= steps; ++step) {
      if (step == clickStep) {
        FeedPointer(kCellX * 8 * kScale + 4, kCellY * 8 * kScale + 4);
        FeedButtonDown(kButtonLeft);
        HandleInput();
        FeedButtonUp(kButtonLeft);
      }
      UpdateWorld();
    }
    return Capture();
  }

  static constexpr int kCellX = 21;
  static constexpr int kCellY = 10;
  Tsnapshot start_;
};

// The player leaves the start-up help, points at (21, 10), picks the
// extractor, and opens the help again, which stays open for eight hours. The
// clock moves on while the steps are caught up, and a click arrives in the
// middle of that: it buys once, at the step whose commands first saw it.
TEST_F(EightHoursAway, TheBurstEqualsPlainSteppingAndAMidBurstClickBuysOnce) {
  constexpr int64_t kHelpAgainAt = 100;
  constexpr int64_t kClickAfterReturn = 700;
  script::KeyPress(10, kKeyEnter);
  script::Move(20, kCellX * 8 * kScale + 4, kCellY * 8 * kScale + 4);
  script::KeyPress(30, 'E');
  script::KeyPress(kHelpAgainAt, kKeyEnter);
  enum { kPlaying, kAway, kCatchingUp, kBack } phase = kPlaying;
  script::OnPresent([&](int) {
    const bool help = script::PointerVisible();
    if (phase == kPlaying && help && script::Now() > kHelpAgainAt) {
      phase = kAway;
      script::Advance(kEightHoursMillis);
      script::KeyPress(script::Now() + 1, kKeyEnter);
      script::Click(script::Now() + kClickAfterReturn, kButtonLeft);
    } else if (phase == kAway && help) {
      // The help closes after this frame; from here every clock read takes a
      // millisecond, so time passes while the burst runs.
      phase = kCatchingUp;
      script::SetMillisPerClockRead(1);
    } else if (phase == kCatchingUp && !help) {
      phase = kBack;
      script::SetMillisPerClockRead(0);
      script::Close(script::Now() + 100);
    }
  });
  testing::internal::CaptureStdout();
  ASSERT_EQ(RunGame(), 0);
  const std::string out = testing::internal::GetCapturedStdout();
  ASSERT_EQ(phase, kBack);
  const Tsnapshot end = Capture();

  EXPECT_EQ(out, "generator spawned\r\n") << "the click buys exactly once";
  ASSERT_EQ(generators.size(), start_.records.size() + 1);
  const Tgenerator bought = generators.back();
  ASSERT_EQ(bought.x, kCellX);
  ASSERT_EQ(bought.facing, kFacingExtractor);
  ASSERT_EQ(bought.level, 1);
  // Every step adds one to the green balance; the extractor bought at step S
  // has acted once per thousand steps since, and its charge tells the rest.
  const int64_t steps = int64_t{money[1]} - start_.balances[1];
  const int64_t price = 5 * int64_t{start_.counts[0]} + 5;
  const int64_t earned = int64_t{money[0]} - start_.balances[0] + price;
  const int64_t clickStep = steps + 1 - (1000 * earned + bought.charge);
  EXPECT_GE(steps, kEightHoursMillis / kTickLength) << "the time the burst took is stepped too";
  EXPECT_GT(clickStep, 1000) << "the click was applied before the burst";
  EXPECT_LT(clickStep, steps - 1000) << "the click was applied after the burst";

  EXPECT_EQ(FirstDifference(SteppedPlainly(steps, clickStep), end), "");
}

}  // namespace
