// The cost of catching up a long absence on a full field, beside stepping the
// same absence one step at a time, and of the input peek that lets steps batch.
#include <benchmark/benchmark.h>

#include <vector>

#include "game/fastforward.h"
#include "game/world.h"
#include "shell/game.h"
#include "tests/support/script.h"
#include "tests/support/worlds.h"

namespace {

constexpr int64_t kEightHoursMillis = int64_t{8} * 60 * 60 * 1000;
// The busiest field for catching up: rows of level-1000 emitters feeding rows
// of level-999 extractors of their colour, so every drained cell is also fed
// at every step and creeps up by one unit per thousand steps.
void FillFieldBusiest(uint32_t seed) {
  script::Reset();
  SeedRandom(seed);
  for (int y = 0; y < kFieldHeight; ++y)
    for (int x = 0; x < kFieldWidth; ++x) {
      const bool feeds = y % 2 == 0;
      generators.push_back(Record(x, y, x % kChannels, feeds ? kFacingDown : kFacingExtractor,
                                  feeds ? kLevelCeiling : kLevelCeiling - 1,
                                  RandomBetween(0, kChargePerAction - 1)));
    }
}

// The clock as it stands when the help screen closes after eight hours.
void EightHoursAway() {
  lastTime = 0;
  tickAccumulator = 0;
  script::SetNow(kEightHoursMillis);
}

// The main loop's due steps after eight hours away, as the game runs them.
// Every run starts from a fresh world made by `fill`, so nothing learnt in one
// run helps the next.
void CatchUpEightHours(benchmark::State& state, void (*fill)(uint32_t seed)) {
  uint32_t seed = 1;
  for (auto _ : state) {
    state.PauseTiming();
    fill(seed++);
    EightHoursAway();
    state.ResumeTiming();
    RunDueSteps();
    benchmark::DoNotOptimize(grid);
  }
  state.counters["generators"] = static_cast<double>(generators.size());
}

void BM_CatchUpEightHours(benchmark::State& state) {
  CatchUpEightHours(state, [](uint32_t seed) { FillField(seed); });
}
BENCHMARK(BM_CatchUpEightHours)->Unit(benchmark::kMillisecond);

void BM_CatchUpEightHoursBusiest(benchmark::State& state) { CatchUpEightHours(state, FillFieldBusiest); }
BENCHMARK(BM_CatchUpEightHoursBusiest)->Unit(benchmark::kMillisecond);

// The first batch of a minute of play on a world not seen before: the longest
// the window goes unpumped during a catch-up.
void BM_FirstBatch(benchmark::State& state) {
  const bool busiest = state.range(0) != 0;
  uint32_t seed = 1;
  for (auto _ : state) {
    state.PauseTiming();
    if (busiest)
      FillFieldBusiest(seed++);
    else
      FillField(seed++);
    state.ResumeTiming();
    FastForwardWorld(12000);
    benchmark::DoNotOptimize(grid);
  }
}
BENCHMARK(BM_FirstBatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same absence stepped as a plain loop would: commands, then the step.
void BM_CatchUpEightHoursPlain(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    FillField(1);
    EightHoursAway();
    state.ResumeTiming();
    while (ShouldTick()) {
      HandleInput();
      UpdateWorld();
    }
    benchmark::DoNotOptimize(grid);
  }
}
BENCHMARK(BM_CatchUpEightHoursPlain)->Unit(benchmark::kMillisecond)->Iterations(1);

// One step of ordinary play through the batching path, beside one plain step.
void BM_OneStepBatched(benchmark::State& state) {
  FillField(1);
  for (auto _ : state) {
    FastForwardWorld(1);
    benchmark::DoNotOptimize(grid);
  }
}
BENCHMARK(BM_OneStepBatched);

void BM_OneStepPlain(benchmark::State& state) {
  FillField(1);
  for (auto _ : state) {
    UpdateWorld();
    benchmark::DoNotOptimize(grid);
  }
}
BENCHMARK(BM_OneStepPlain);

// The peek with nothing pending, within one millisecond (no pump) and once a
// millisecond (one pump each), beside the commands' own idle call.
void BM_CommandsPendingSameMillisecond(benchmark::State& state) {
  script::Reset();
  for (auto _ : state) benchmark::DoNotOptimize(CommandsPending());
}
BENCHMARK(BM_CommandsPendingSameMillisecond);

void BM_CommandsPendingNewMillisecond(benchmark::State& state) {
  script::Reset();
  for (auto _ : state) {
    script::Advance(1);
    benchmark::DoNotOptimize(CommandsPending());
  }
}
BENCHMARK(BM_CommandsPendingNewMillisecond);

void BM_HandleInputIdle(benchmark::State& state) {
  script::Reset();
  for (auto _ : state) HandleInput();
}
BENCHMARK(BM_HandleInputIdle);

}  // namespace
