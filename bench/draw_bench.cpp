// The cost of drawing one frame of play on a full field: every cell coloured
// and a generator on each of the 1,800 cells, the pointer on the last one.
#include <benchmark/benchmark.h>

#include "game/world.h"
#include "shell/draw.h"
#include "shell/services.h"
#include "shell/sprites.h"
#include "tests/support/script.h"
#include "tests/support/worlds.h"

namespace {

bool FillDrawnField() {
  FillField(7, 1);
  if (!LoadSpriteSheet()) return false;
  money[0] = 123456789;
  money[1] = -42;
  money[2] = 1000000;
  // The last cell: finding its generator walks the whole list, twice.
  FeedPointer(scale * (kCellSize * (kFieldWidth - 1) + 3), scale * (kCellSize * (kFieldHeight - 1) + 3));
  return true;
}

// Draws with `draw` over and over on the full field.
void DrawFullField(benchmark::State& state, void (*draw)()) {
  if (!FillDrawnField()) {
    state.SkipWithError("the sprite sheet did not decode");
    return;
  }
  for (auto _ : state) {
    draw();
    benchmark::DoNotOptimize(CanvasPixels()[0]);
  }
  state.counters["generators"] = static_cast<double>(generators.size());
}

void BM_DrawWorldFullField(benchmark::State& state) { DrawFullField(state, DrawWorld); }
BENCHMARK(BM_DrawWorldFullField)->Unit(benchmark::kMicrosecond);

void BM_DrawStatusBarFullField(benchmark::State& state) { DrawFullField(state, DrawStatusBar); }
BENCHMARK(BM_DrawStatusBarFullField)->Unit(benchmark::kMicrosecond);

}  // namespace
