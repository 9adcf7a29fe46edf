// The cost of presenting one frame through SDL: uploading the canvas into the
// streaming texture, scaling it onto the window and presenting, without
// waiting for vertical synchronisation. Runs on SDL's dummy driver unless
// SDL_VIDEODRIVER names another (x11 under Xvfb, say).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "shell/platform.h"
#include "shell/services.h"

namespace {

bool OpenWindowOnce() {
  static const bool opened = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    scale = 3;
    return OpenGameWindow(kCanvasWidth * scale, kCanvasHeight * scale, "PIGMENTBURGH");
  }();
  return opened;
}

void BM_PresentFrame(benchmark::State& state) {
  if (!OpenWindowOnce()) {
    state.SkipWithError("no window");
    return;
  }
  ClearCanvas();
  SetDrawColor(128, 128, 128);
  FillRect(0, 0, kCanvasWidth, 240);
  for (auto _ : state) PresentCanvas(CanvasPixels(), false);
}
BENCHMARK(BM_PresentFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
