// Start-up, the step clock, the main loop and shutdown.
#include "shell/game.h"

#include <algorithm>
#include <cstdio>

#include "game/fastforward.h"
#include "game/world.h"
#include "shell/draw.h"
#include "shell/platform.h"
#include "shell/services.h"
#include "shell/sprites.h"

int64_t lastTime = 0;
int64_t tickAccumulator = 0;

namespace {
constexpr const char* kWindowTitle = "PIGMENTBURGH";
constexpr int kExitTruncatedSave = 255;
constexpr int kExitFailure = 1;
constexpr int64_t kBatchSteps = 12000;  // one minute of play
// A batch that took longer than this halves the next one, so the window is
// still pumped every few milliseconds in a world that must be stepped one by one.
constexpr int64_t kBatchMillis = 4;
int64_t batchLimit = kBatchSteps;
}  // namespace

bool ShouldTick() {
  const int64_t elapsed = ClockMillis() - lastTime;
  // The clock is read again: a millisecond passing between the reads is not counted.
  lastTime = ClockMillis();
  tickAccumulator += elapsed;
  if (tickAccumulator < kTickLength) return false;
  tickAccumulator -= kTickLength;
  return true;
}

uint8_t ChooseScale(int desktopWidth) {
  // A display narrower than one canvas (or one whose factor wraps to 0 in
  // 8 bits) still gets a window, at scale 1.
  const auto reduced = static_cast<uint8_t>(desktopWidth > 0 ? desktopWidth / kScaleDivisor : 0);
  return reduced == 0 ? 1 : reduced;
}

// A step whose commands find nothing pending changes the world through
// UpdateWorld alone, and nothing new can arrive before the input is pumped
// again, which the peek does at most once per millisecond: the steps already
// due then run as one batch. Batches are bounded so that a long absence still
// pumps the window between them, and the time they take is stepped as well.
void RunDueSteps() {
  while (ShouldTick()) {
    if (CommandsPending()) {
      HandleInput();
      UpdateWorld();
      continue;
    }
    const int64_t alsoDue = std::min(tickAccumulator / kTickLength, batchLimit - 1);
    tickAccumulator -= alsoDue * kTickLength;
    const int64_t began = ClockMillis();
    FastForwardWorld(1 + alsoDue);
    const int64_t took = ClockMillis() - began;
    if (took > kBatchMillis) batchLimit = std::max<int64_t>(1, batchLimit / 2);
    else if (took < kBatchMillis / 2) batchLimit = std::min(kBatchSteps, batchLimit * 2);
  }
}

namespace {

bool OpenWindow() {
  PrepareProcess();
  ChangeToExecutableDir();
  SeedRandom(static_cast<uint32_t>(ClockMillis()));
  scale = ChooseScale(DesktopPixelWidth());
  if (!OpenGameWindow(kCanvasWidth * scale, kCanvasHeight * scale, kWindowTitle)) return false;
  ResetCanvas();
  HideSystemPointer();
  return true;
}

// Creates the world and fills it from the save file or by seeding.
TloadResult CreateWorld() {
  ResetWorld();
  lastTime = ClockMillis();
  tickAccumulator = 0;
  const TloadResult loaded = LoadGame();
  if (loaded == kNoSave) SeedNewWorld();
  return loaded;
}

// Milliseconds until ShouldTick will next report a step; 0 when one is due.
int64_t MillisUntilNextStep() {
  const int64_t pending = tickAccumulator + (ClockMillis() - lastTime);
  return pending >= kTickLength ? 0 : kTickLength - pending;
}

void RunMainLoop() {
  while (!quitRequested) {
    RunDueSteps();
    if (WindowVisible()) {
      DrawWorld();
      PresentFrame(syncMode);
    } else {
      // A minimised or hidden window shows no frames, and a hidden present
      // need not wait for the display: sleep until input or the next step
      // instead of spinning. Steps still run on time.
      WaitForPlatformEvent(static_cast<int>(MillisUntilNextStep()));
    }
  }
}

}  // namespace

int RunGame() {
  int status = 0;
  if (!OpenWindow() || !LoadSpriteSheet()) {
    status = kExitFailure;
  } else if (CreateWorld() == kSaveTruncated) {
    std::fputs("Error reading from stream", stderr);
    status = kExitTruncatedSave;
  } else {
    ShowHelp();
    RunMainLoop();
    if (!SaveGame()) status = kExitFailure;
  }
  CloseGameWindow();
  return status;
}
