// The world state: the field queries, the seeding of a new world, the random draws.
#include "game/world.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "shell/game.h"
#include "tests/support/script.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(InBounds, AcceptsExactlyTheField) {
  struct Tcase {
    int x, y;
    bool inside;
  };
  const Tcase cases[] = {{0, 0, true},   {59, 29, true}, {-1, 5, false}, {5, -1, false},
                         {60, 0, false}, {0, 30, false}, {30, 15, true}, {-100, -100, false}};
  for (const Tcase& c : cases) EXPECT_EQ(InBounds(c.x, c.y), c.inside) << c.x << "," << c.y;
}

TEST(GeneratorAt, FindsAnyGeneratorOnTheCell) {
  script::Reset();
  generators.push_back({.x = 3, .y = 4, .color = 2, .facing = kFacingExtractor});
  generators.push_back({.x = 59, .y = 29, .color = 0, .facing = kFacingLeft});
  EXPECT_TRUE(GeneratorAt(3, 4));
  EXPECT_TRUE(GeneratorAt(59, 29));
  EXPECT_FALSE(GeneratorAt(4, 3));
  EXPECT_FALSE(GeneratorAt(-1, 4));
}

TEST(SeedNewWorld, WritesAtMostAHundredSingleUnits) {
  for (uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    script::Reset();
    SeedRandom(seed);
    SeedNewWorld();
    int nonZero = 0;
    for (auto& column : grid)
      for (auto& cell : column)
        for (uint8_t v : cell) {
          EXPECT_LE(v, 1);
          nonZero += v;
        }
    EXPECT_GT(nonZero, 0) << "seed " << seed;
    EXPECT_LE(nonZero, kSeedWrites) << "seed " << seed;
    EXPECT_TRUE(generators.empty());
    EXPECT_EQ(money[0] | money[1] | money[2], 0);
    EXPECT_EQ(genCount[0] | genCount[1] | genCount[2], 0);
  }
}

// Each write draws its column, then its row, its channel and its value; later
// writes overwrite earlier ones.
TEST(SeedNewWorld, DrawsColumnRowChannelValueInThatOrder) {
  uint8_t expected[kFieldWidth][kFieldHeight][kChannels] = {};
  SeedRandom(99);
  for (int i = 0; i < kSeedWrites; ++i) {
    const int x = RandomBetween(0, kFieldWidth - 1);
    const int y = RandomBetween(0, kFieldHeight - 1);
    const int c = RandomBetween(0, kChannels - 1);
    expected[x][y][c] = static_cast<uint8_t>(RandomBetween(0, 1));
  }
  script::Reset();
  SeedRandom(99);
  SeedNewWorld();
  EXPECT_EQ(std::memcmp(grid, expected, sizeof grid), 0);
}

TEST(RandomBetween, IsInclusiveAndCoversBothBounds) {
  SeedRandom(7);
  bool sawLow = false, sawHigh = false;
  for (int i = 0; i < 2000; ++i) {
    const int v = RandomBetween(0, 59);
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 59);
    sawLow |= v == 0;
    sawHigh |= v == 59;
  }
  EXPECT_TRUE(sawLow);
  EXPECT_TRUE(sawHigh);
}

using NewWorld = TempDirTest;

// A start with no save seeds the world from the clock as it stands at start-up,
// so two starts at different times get different worlds.
TEST_F(NewWorld, IsSeededFromTheClockAtStartUp) {
  uint8_t seeded[2][kFieldWidth][kFieldHeight][kChannels];
  for (int run = 0; run < 2; ++run) {
    const int64_t startedAt = 12345 + 1000 * run;
    script::Reset();
    SeedRandom(static_cast<uint32_t>(startedAt));
    SeedNewWorld();
    std::memcpy(seeded[run], grid, sizeof grid);

    script::Reset();
    script::SetNow(startedAt);
    script::KeyPress(startedAt + 20, kKeyEnter);  // leave the help screen
    script::Close(startedAt + 100);
    ASSERT_EQ(RunGame(), 0);
    EXPECT_EQ(std::memcmp(grid, seeded[run], sizeof grid), 0) << "run " << run;
    std::remove("save");
  }
  EXPECT_NE(std::memcmp(seeded[0], seeded[1], sizeof grid), 0);
}

}  // namespace
