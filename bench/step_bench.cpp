// The cost of one simulation step over a full field of generators, and of one
// command call when nothing is pending.
#include <benchmark/benchmark.h>

#include "game/world.h"
#include "tests/support/script.h"
#include "tests/support/worlds.h"

namespace {

void BM_UpdateWorldFullField(benchmark::State& state) {
  FillField(42);
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
  FillField(42);
  for (auto _ : state) HandleInput();
}
BENCHMARK(BM_HandleInputIdleSameMillisecond);

// Steps in real time: each call sees a new millisecond and pumps the platform once.
void BM_HandleInputIdleNewMillisecond(benchmark::State& state) {
  FillField(42);
  for (auto _ : state) {
    script::Advance(1);
    HandleInput();
  }
}
BENCHMARK(BM_HandleInputIdleNewMillisecond);

}  // namespace
