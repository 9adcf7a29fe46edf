// The cost of one simulation step over a full field of generators, and of one
// command call when nothing is pending.
#include <benchmark/benchmark.h>

#include "game/world.h"
#include "tests/support/script.h"

namespace {

constexpr int kFacings = 5;

// One generator on every cell, all colours and facings, levels spread over
// 1..1000, on a grid half full so emitters and extractors both find work.
void FillField() {
  script::Reset();
  SeedRandom(42);
  for (int y = 0; y < kFieldHeight; ++y)
    for (int x = 0; x < kFieldWidth; ++x) {
      for (int c = 0; c < kChannels; ++c) grid[x][y][c] = static_cast<uint8_t>(RandomBetween(0, 255));
      generators.push_back({.x = static_cast<uint8_t>(x),
                            .y = static_cast<uint8_t>(y),
                            .color = static_cast<uint8_t>(RandomBetween(0, kChannels - 1)),
                            .level = static_cast<uint16_t>(RandomBetween(1, kLevelCeiling)),
                            .charge = static_cast<uint16_t>(RandomBetween(0, kChargePerAction - 1)),
                            .facing = static_cast<uint8_t>(RandomBetween(0, kFacings - 1))});
    }
}

void BM_UpdateWorldFullField(benchmark::State& state) {
  FillField();
  for (auto _ : state) {
    UpdateWorld();
    benchmark::DoNotOptimize(grid);
  }
  state.counters["generators"] = static_cast<double>(generators.size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(generators.size()));
}
BENCHMARK(BM_UpdateWorldFullField);

// A catch-up burst: every call falls in the same millisecond, so the platform
// is pumped at most once.
void BM_HandleInputIdleSameMillisecond(benchmark::State& state) {
  FillField();
  for (auto _ : state) HandleInput();
}
BENCHMARK(BM_HandleInputIdleSameMillisecond);

// Steps in real time: each call sees a new millisecond and pumps the platform once.
void BM_HandleInputIdleNewMillisecond(benchmark::State& state) {
  FillField();
  for (auto _ : state) {
    script::Advance(1);
    HandleInput();
  }
}
BENCHMARK(BM_HandleInputIdleNewMillisecond);

}  // namespace
