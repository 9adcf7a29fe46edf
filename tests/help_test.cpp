// The help screen, played on the scripted platform: what it shows, the three
// ways out, the input it swallows, and the time it was open being simulated.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include "game/world.h"
#include "shell/draw.h"
#include "shell/game.h"
#include "shell/services.h"
#include "tests/support/golden.h"
#include "tests/support/script.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kKeyG = 71;

// What the player saw at each presented frame.
struct Tshot {
  bool help;       // the system pointer is shown only on the help screen
  int64_t millis;  // the clock just after the frame was presented
};

class HelpScreen : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    script::Reset();
    script::SetFrameLimit(5000);
  }

  // Runs the game to its end, noting every frame; `onFrame` may change the world.
  int Play(std::function<void(int index, const Tshot& shot)> onFrame = nullptr) {
    script::OnPresent([this, onFrame](int index) {
      shots.push_back({script::PointerVisible(), script::Now()});
      if (onFrame) onFrame(index, shots.back());
    });
    return RunGame();
  }

  int HelpFrames() const {
    return static_cast<int>(std::count_if(shots.begin(), shots.end(), [](const Tshot& s) { return s.help; }));
  }
  int64_t FirstPlayFrameMillis() const {
    for (const Tshot& s : shots)
      if (!s.help) return s.millis;
    return -1;
  }

  std::vector<Tshot> shots;
};

TEST_F(HelpScreen, OpensAtStartUpWithThePointerShownAndEnterLeavesIt) {
  script::KeepFrames(true);
  script::KeyPress(160, kKeyEnter);
  script::Close(1000);
  EXPECT_EQ(Play(), 0);
  ASSERT_FALSE(shots.empty());
  EXPECT_TRUE(shots.front().help);
  const script::Tframe& page = script::Frames().front();
  EXPECT_TRUE(MatchesGolden("help_screen", page.data()));
  // White ink on black: the title on top, the last line from y 108, and the
  // empty lines before it and below it.
  const auto inkInRows = [&](int top, int bottom) {
    return std::count(page.begin() + top * kCanvasWidth, page.begin() + (bottom + 1) * kCanvasWidth,
                      PackPixel(255, 255, 255));
  };
  EXPECT_GT(inkInRows(0, 12), 0);
  EXPECT_EQ(inkInRows(97, 107), 0);  // descenders of the line at 84 reach row 96
  EXPECT_GT(inkInRows(108, 120), 0);
  EXPECT_EQ(inkInRows(121, kCanvasHeight - 1), 0);
  // The screen is drawn afresh each frame until the Enter at 160 ms is seen.
  EXPECT_EQ(HelpFrames(), 10);
  for (int i = 1; i < HelpFrames(); ++i)
    EXPECT_EQ(script::Frames()[static_cast<size_t>(i)], script::Frames()[0]);
  EXPECT_FALSE(shots.back().help);
  EXPECT_GE(shots.back().millis, 1000);
}

TEST_F(HelpScreen, EscapeReturnsToPlayWithoutQuitting) {
  script::KeyDown(160, kKeyEscape);
  script::KeyUp(300, kKeyEscape);
  script::Close(1000);
  EXPECT_EQ(Play(), 0);
  EXPECT_EQ(HelpFrames(), 10);
  EXPECT_LT(FirstPlayFrameMillis(), 1000);
  EXPECT_GE(shots.back().millis, 1000) << "the Escape that left the help also quit the game";
}

TEST_F(HelpScreen, ACloseRequestLeavesItAndASecondOneInPlayQuitsAndSaves) {
  script::Close(160);
  script::Close(1000);
  EXPECT_EQ(Play(), 0);
  EXPECT_EQ(HelpFrames(), 10);
  EXPECT_LT(FirstPlayFrameMillis(), 1000);
  EXPECT_GE(shots.back().millis, 1000);
  EXPECT_LT(shots.back().millis, 1000 + 3 * 16);
  EXPECT_TRUE(std::filesystem::exists(dir() / "save"));
}

TEST_F(HelpScreen, KeysAndButtonsHeldWhenItClosesDoNotCountInPlay) {
  script::KeyDown(100, kKeyG);
  script::ButtonDown(100, kButtonRight);
  script::KeyPress(160, kKeyEnter);
  script::KeyUp(400, kKeyG);
  script::ButtonUp(400, kButtonRight);
  script::Close(1000);
  EXPECT_EQ(Play([](int index, const Tshot&) {
              // Stock under the pointer at (0, 0) that a held right button would harvest.
              if (index == 0) grid[0][0][0] = grid[0][0][1] = grid[0][0][2] = 9;
            }),
            0);
  EXPECT_EQ(selColor, 0) << "the G held through the help screen selected green";
  EXPECT_EQ(grid[0][0][1], 9) << "the right button held through the help screen harvested";
  EXPECT_EQ(money[0] | money[1] | money[2], 0);
}

// The step clock runs on while the help is open, from the moment the world
// was ready: leaving it after ten seconds runs ten seconds of steps at once.
TEST_F(HelpScreen, TenSecondsOnItAreSimulatedBeforeTheNextFrame) {
  script::KeyPress(10000, kKeyEnter);
  script::Close(10500);
  int64_t stepsBeforeFirstPlayFrame = -1;
  EXPECT_EQ(Play([&](int index, const Tshot& shot) {
              // A level-1 emitter counts steps: its charge is the count modulo
              // 1000, and it pushes one unit into the cell it faces per thousand.
              if (index == 0) {
                generators.push_back({.x = 10, .y = 10, .color = 0, .facing = kFacingRight});
                genCount[0] = 1;  // as if bought, so the world saves at the end
                grid[11][10][0] = 0;
              }
              if (!shot.help && stepsBeforeFirstPlayFrame < 0)
                stepsBeforeFirstPlayFrame = 1000 * int64_t{grid[11][10][0]} + generators.front().charge;
            }),
            0);
  EXPECT_NEAR(static_cast<double>(stepsBeforeFirstPlayFrame), 2000, 1);
}

// Enter opens the help from inside a step; once it closes, the same call of
// the command handler goes on: here its last step sees the close request that
// arrived with the Escape which left the help.
TEST_F(HelpScreen, EnterInAStepOpensItAndTheSameCallGoesOn) {
  script::KeyPress(0, kKeyEnter);
  script::KeyDown(16, kKeyEscape);
  script::Close(16);
  SetDrawColor(200, 100, 50);  // the help draws in whatever colour play left set
  HandleInput();
  EXPECT_EQ(script::FramesPresented(), 1);
  EXPECT_FALSE(script::PointerVisible());
  EXPECT_EQ(quitRequested, 1) << "the call ended with the help screen";
  const script::Tframe& help = script::LastFrame();
  const Tpixel ink = PackPixel(200, 100, 50), black = PackPixel(0, 0, 0);
  EXPECT_TRUE(std::all_of(help.begin(), help.end(), [&](Tpixel p) { return p == ink || p == black; }));
  EXPECT_GT(std::count(help.begin(), help.end(), ink), 0);
}

}  // namespace
