// The world state, its start-up values, the two field queries and the seeding
// of a new world.
#include "game/world.h"

#include <cstring>

#include "shell/services.h"

uint8_t grid[kFieldWidth][kFieldHeight][kChannels];
std::vector<Tgenerator> generators;
int32_t money[kChannels];
uint16_t genCount[kChannels];
uint8_t selFacing = kFacingUp;
uint8_t selColor = 0;
uint8_t quitRequested = 0;

void ResetWorld() {
  std::memset(grid, 0, sizeof grid);
  generators.clear();
  std::memset(money, 0, sizeof money);
  std::memset(genCount, 0, sizeof genCount);
  selFacing = kFacingUp;
  selColor = 0;
  quitRequested = 0;
}

bool InBounds(int x, int y) { return x >= 0 && x < kFieldWidth && y >= 0 && y < kFieldHeight; }

bool GeneratorAt(int x, int y) {
  for (const Tgenerator& g : generators)
    if (g.x == x && g.y == y) return true;
  return false;
}

void SeedNewWorld() {
  for (int i = 0; i < kSeedWrites; ++i) {
    // The draws are made in this order: column, row, channel, value.
    const int x = RandomBetween(0, kFieldWidth - 1);
    const int y = RandomBetween(0, kFieldHeight - 1);
    const int c = RandomBetween(0, kChannels - 1);
    const int value = RandomBetween(0, 1);
    grid[x][y][c] = static_cast<uint8_t>(value);
  }
}
