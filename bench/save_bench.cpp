// The cost of saving and of loading the largest world the file can announce:
// 65,535 generators, 524,280 bytes of records after the header and grid.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/world.h"
#include "tests/support/script.h"

namespace {

constexpr int kGenerators = 65535;
constexpr int kFacings = 5;

// Works in a scratch directory of the system's temporary area (TMPDIR), so
// the figures include syncing to whatever disk is there.
bool EnterScratchDirectory() {
  static const bool entered = [] {
    static std::string dir = (std::filesystem::temp_directory_path() / "pigment-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr || chdir(dir.c_str()) != 0) return false;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    });
    return true;
  }();
  return entered;
}

void MakeFullWorld() {
  script::Reset();
  for (int i = 0; i < kGenerators; ++i) {
    const auto color = static_cast<uint8_t>(i % kChannels);
    generators.push_back({.x = static_cast<uint8_t>(i % kFieldWidth),
                          .y = static_cast<uint8_t>((i / kFieldWidth) % kFieldHeight),
                          .color = color,
                          .level = static_cast<uint16_t>(i % kLevelCeiling + 1),
                          .charge = static_cast<uint16_t>(i % kChargePerAction),
                          .facing = static_cast<uint8_t>(i % kFacings)});
    ++genCount[color];
  }
  money[0] = 123456789;
}

void BM_SaveFullWorld(benchmark::State& state) {
  if (!EnterScratchDirectory()) return state.SkipWithError("no scratch directory");
  MakeFullWorld();
  for (auto _ : state)
    if (!SaveGame()) return state.SkipWithError("the save failed");
}
BENCHMARK(BM_SaveFullWorld)->Unit(benchmark::kMillisecond);

void BM_LoadFullWorld(benchmark::State& state) {
  if (!EnterScratchDirectory()) return state.SkipWithError("no scratch directory");
  MakeFullWorld();
  if (!SaveGame()) return state.SkipWithError("the save failed");
  for (auto _ : state) {
    ResetWorld();
    if (LoadGame() != kSaveLoaded) return state.SkipWithError("the load failed");
    benchmark::DoNotOptimize(generators.data());
  }
  state.counters["generators"] = static_cast<double>(generators.size());
}
BENCHMARK(BM_LoadFullWorld)->Unit(benchmark::kMillisecond);

}  // namespace
