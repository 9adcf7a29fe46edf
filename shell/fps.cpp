// The frame-rate counter: counts presented frames and shows the count of the
// last whole second in the status bar.
#include <limits>

#include "shell/draw.h"
#include "shell/services.h"
#include "shell/text.h"

namespace {
constexpr int64_t kUpdateMillis = 1000;
constexpr int kFpsX = 1;
constexpr int kFpsY = 258;
}  // namespace

int32_t FPS::framesCounted = 0;
int64_t FPS::nextUpdate = 0;
int32_t FPS::rateShown = 0;

int32_t FPS::Calc() {
  // A clock that stands still never ends the second; the count must not wrap.
  if (framesCounted < std::numeric_limits<int32_t>::max()) ++framesCounted;
  const int64_t now = ClockMillis();
  if (nextUpdate < now) {
    rateShown = framesCounted;
    nextUpdate = now + kUpdateMillis;
    framesCounted = 0;
  }
  return rateShown;
}

void FPS::DrawFPS() {
  SetDrawColor(255, 255, 255);
  DrawLabel(IntegerText(Calc()), kFpsX, kFpsY);
}

void ResetFPS() {
  FPS::framesCounted = 0;
  FPS::nextUpdate = 0;
  FPS::rateShown = 0;
}
