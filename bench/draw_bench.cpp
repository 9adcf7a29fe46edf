// The cost of drawing one frame of play on a full field: every cell coloured
// and a generator on each of the 1,800 cells, the pointer on the last one.
#include <benchmark/benchmark.h>

#include "game/world.h"
#include "shell/draw.h"
#include "shell/services.h"
#include "shell/sprites.h"
#include "tests/support/script.h"

namespace {

constexpr int kFacings = 5;

bool FillField() {
  script::Reset();
  if (!LoadSpriteSheet()) return false;
  SeedRandom(7);
  for (int y = 0; y < kFieldHeight; ++y)
    for (int x = 0; x < kFieldWidth; ++x) {
      for (int c = 0; c < kChannels; ++c) grid[x][y][c] = static_cast<uint8_t>(RandomBetween(1, 255));
      generators.push_back({.x = static_cast<uint8_t>(x),
                            .y = static_cast<uint8_t>(y),
                            .color = static_cast<uint8_t>(RandomBetween(0, kChannels - 1)),
                            .level = static_cast<uint16_t>(RandomBetween(1, kLevelCeiling)),
                            .facing = static_cast<uint8_t>(RandomBetween(0, kFacings - 1))});
    }
  money[0] = 123456789;
  money[1] = -42;
  money[2] = 1000000;
  // The last cell: finding its generator walks the whole list, twice.
  FeedPointer(scale * (kCellSize * (kFieldWidth - 1) + 3), scale * (kCellSize * (kFieldHeight - 1) + 3));
  return true;
}

void BM_DrawWorldFullField(benchmark::State& state) {
  if (!FillField()) {
    state.SkipWithError("the sprite sheet did not decode");
    return;
  }
  for (auto _ : state) {
    DrawWorld();
    benchmark::DoNotOptimize(CanvasPixels()[0]);
  }
  state.counters["generators"] = static_cast<double>(generators.size());
}
BENCHMARK(BM_DrawWorldFullField)->Unit(benchmark::kMicrosecond);

void BM_DrawStatusBarFullField(benchmark::State& state) {
  if (!FillField()) {
    state.SkipWithError("the sprite sheet did not decode");
    return;
  }
  for (auto _ : state) {
    DrawStatusBar();
    benchmark::DoNotOptimize(CanvasPixels()[0]);
  }
}
BENCHMARK(BM_DrawStatusBarFullField)->Unit(benchmark::kMicrosecond);

}  // namespace
