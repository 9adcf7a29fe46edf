// Worlds for tests and benchmarks.
#include "tests/support/worlds.h"

#include "shell/services.h"
#include "tests/support/script.h"

Tgenerator Record(int x, int y, int color, int facing, int level, int charge) {
  return {.x = static_cast<uint8_t>(x),
          .y = static_cast<uint8_t>(y),
          .color = static_cast<uint8_t>(color),
          .level = static_cast<uint16_t>(level),
          .charge = static_cast<uint16_t>(charge),
          .facing = static_cast<uint8_t>(facing)};
}

void FillField(uint32_t seed, int minAmount) {
  script::Reset();
  SeedRandom(seed);
  for (int y = 0; y < kFieldHeight; ++y) {
    for (int x = 0; x < kFieldWidth; ++x) {
      for (int c = 0; c < kChannels; ++c) grid[x][y][c] = static_cast<uint8_t>(RandomBetween(minAmount, 255));
      const int color = RandomBetween(0, kChannels - 1);
      const int level = RandomBetween(1, kLevelCeiling);
      const int charge = RandomBetween(0, kChargePerAction - 1);
      const int facing = RandomBetween(kFacingUp, kFacingExtractor);
      generators.push_back(Record(x, y, color, facing, level, charge));
    }
  }
}
