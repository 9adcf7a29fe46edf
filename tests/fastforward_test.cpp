// Fast-forwarding the world against stepping it one step at a time: random
// worlds with chains and loaded oddities, slow-settling chains, full balances.
#include "game/fastforward.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "game/world.h"
#include "tests/support/script.h"
#include "tests/support/snapshot.h"
#include "tests/support/worlds.h"

namespace {

constexpr int32_t kBalanceCeiling = std::numeric_limits<int32_t>::max();

void PlainSteps(int64_t steps) {
  for (int64_t i = 0; i < steps; ++i) UpdateWorld();
}

// Runs the chunks one after another from the current world, once stepping
// plainly and once fast, with `between(i)` changing the world after chunk i in
// both runs, and expects the same world after every chunk.
void ExpectSameAsPlain(
    const std::vector<int64_t>& chunks, const std::string& label,
    const std::function<void(size_t)>& between = [](size_t) {}) {
  const Tsnapshot start = Capture();
  std::vector<Tsnapshot> stepped;
  for (size_t i = 0; i < chunks.size(); ++i) {
    PlainSteps(chunks[i]);
    stepped.push_back(Capture());
    between(i);
  }
  Restore(start);
  for (size_t i = 0; i < chunks.size(); ++i) {
    // Some steps of every other chunk are run one by one first, as the main
    // loop does while input is pending, so the fast way must pick up from there.
    const int64_t byHand = i % 2 == 1 ? std::min<int64_t>(chunks[i], 7) : 0;
    PlainSteps(byHand);
    FastForwardWorld(chunks[i] - byHand);
    const std::string difference = FirstDifference(stepped[i], Capture());
    ASSERT_EQ(difference, "") << label << ", after chunk " << i << " of " << chunks[i] << " steps";
    between(i);
  }
}

// ---- Random worlds ---------------------------------------------------------------

class TrandomWorld {
 public:
  explicit TrandomWorld(uint32_t seed) : rng_(seed) {}

  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }

  // Levels cluster at both ends, where rhythms are slowest and fastest.
  int Level() {
    const int kind = Between(0, 2);
    if (kind == 0) return Between(1, 12);
    if (kind == 1) return Between(985, kLevelCeiling);
    return Between(1, kLevelCeiling);
  }

  // Empty, full and in-between amounts in a small patch where records crowd.
  void FillPatch() {
    for (int x = 0; x < kPatch; ++x)
      for (int y = 0; y < kPatch; ++y)
        for (int c = 0; c < kChannels; ++c) {
          const int kind = Between(0, 3);
          grid[x][y][c] = static_cast<uint8_t>(kind == 0 ? 0 : kind == 1 ? 255 : Between(0, 255));
        }
  }

  // An extractor with emitters of its colour feeding its cell from around it.
  void AddChain() {
    const int x = Between(1, kPatch - 2);
    const int y = Between(1, kPatch - 2);
    const int color = Between(0, kChannels - 1);
    generators.push_back(Record(x, y, color, kFacingExtractor, Level(), Between(0, 999)));
    const int feeders = Between(1, 4);
    constexpr int kFrom[][3] = {
        {0, 1, kFacingUp}, {-1, 0, kFacingRight}, {0, -1, kFacingDown}, {1, 0, kFacingLeft}};
    for (int i = 0; i < feeders; ++i) {
      const auto& from = kFrom[Between(0, 3)];
      generators.push_back(Record(x + from[0], y + from[1], color, from[2], Level(), Between(0, 999)));
    }
  }

  void AddLoose() {
    generators.push_back(Record(Between(0, kPatch - 1), Between(0, kPatch - 1), Between(0, kChannels - 1),
                                Between(0, kFacingExtractor), Level(), Between(0, 999)));
  }

  // What only a loaded file holds, but each of these comes into the rhythm of
  // 1000 steps or never leaves it.
  void AddOddity() {
    Tgenerator g = Record(Between(0, kPatch - 1), Between(0, kPatch - 1), Between(0, 2), Between(0, 4),
                          Level(), Between(0, 999));
    switch (Between(0, 6)) {
      case 0:
        g.level = 0;
        g.charge = static_cast<uint16_t>(Between(0, 65535));
        break;
      case 1:
        g.charge = static_cast<uint16_t>(Between(1000, 65535));
        g.level = static_cast<uint16_t>(Between(900, 999));
        break;
      case 2: g.charge = static_cast<uint16_t>(Between(64537, 65535)); break;
      case 3: g.color = static_cast<uint8_t>(Between(3, 255)); break;
      case 4: g.facing = static_cast<uint8_t>(Between(5, 255)); break;
      case 5: g.x = static_cast<uint8_t>(Between(kFieldWidth - 1, 255)); break;
      default: g.y = static_cast<uint8_t>(Between(kFieldHeight - 1, 255)); break;
    }
    generators.push_back(g);
  }

  void Build(bool oddities) {
    script::Reset();
    FillPatch();
    const int chains = Between(1, 5);
    for (int i = 0; i < chains; ++i) AddChain();
    const int loose = Between(0, 10);
    for (int i = 0; i < loose; ++i) AddLoose();
    if (oddities)
      for (int i = Between(1, 4); i > 0; --i) AddOddity();
    for (int c = 0; c < kChannels; ++c)
      money[c] = Chance(25) ? kBalanceCeiling - Between(0, 5000) : Between(-100, 100000);
  }

  // Step counts spread evenly over the orders of magnitude up to millions.
  int64_t Steps(int64_t most) {
    const double exponent =
        std::uniform_real_distribution<double>(0.0, std::log(static_cast<double>(most)))(rng_);
    return static_cast<int64_t>(std::exp(exponent));
  }

  // A change a player could make between two bursts: a level, a cell, a purchase.
  void Meddle() {
    if (!generators.empty() && Chance(50)) {
      Tgenerator& g = generators[static_cast<size_t>(Between(0, static_cast<int>(generators.size()) - 1))];
      if (g.level < kLevelCeiling) ++g.level;
    }
    if (Chance(50)) grid[Between(0, kPatch - 1)][Between(0, kPatch - 1)][Between(0, 2)] = 0;
    if (Chance(30)) AddLoose();
  }

 private:
  static constexpr int kPatch = 8;
  std::mt19937 rng_;
};

TEST(FastForward, MatchesPlainSteppingOnRandomWorlds) {
  constexpr uint32_t kWorlds = 48;
  for (uint32_t seed = 1; seed <= kWorlds; ++seed) {
    TrandomWorld world(seed);
    world.Build(/*oddities=*/seed % 2 == 0);
    std::vector<int64_t> chunks;
    for (int i = world.Between(1, 3); i > 0; --i)
      chunks.push_back(world.Steps(seed % 8 == 0 ? 3'000'000 : 200'000));
    const bool meddle = seed % 3 == 0;
    // Each change draws from a generator of its own chunk, so both runs make the same one.
    ExpectSameAsPlain(chunks, "world " + std::to_string(seed), [&](size_t chunk) {
      if (meddle) TrandomWorld(seed * 7919u + static_cast<uint32_t>(chunk)).Meddle();
    });
  }
}

// Three units in and two out per block: the cell gains one unit a block and
// only reaches the ceiling after 255 blocks, all the while changing its yield.
TEST(FastForward, AChainThatTakesHundredsOfBlocksToSettle) {
  script::Reset();
  generators.push_back(Record(10, 11, 0, kFacingUp, 3, 999));
  generators.push_back(Record(10, 10, 0, kFacingExtractor, 2, 500));
  // Two in and three out empties a full cell one unit a block.
  generators.push_back(Record(20, 11, 2, kFacingUp, 2, 999));
  generators.push_back(Record(20, 10, 2, kFacingExtractor, 3));
  grid[20][10][2] = kChannelCeiling;
  // A lone level-1 feeder fills its empty cell one unit a block as well.
  generators.push_back(Record(30, 20, 1, kFacingRight, 1));
  const Tsnapshot start = Capture();
  PlainSteps(200'000);
  ASSERT_EQ(grid[10][10][0], 200) << "the chains are meant to settle slowly";
  ASSERT_EQ(grid[20][10][2], 54);
  ASSERT_EQ(grid[31][20][1], 200);
  Restore(start);
  // The first chunk ends on the block where the first chain meets the ceiling.
  ExpectSameAsPlain({255'000, 145'000, 1'234'567}, "slow chain");
  EXPECT_EQ(grid[10][10][0], kChannelCeiling);
  EXPECT_LE(grid[20][10][2], 1);
}

// Extractors only ever add, so a balance at the 32-bit ceiling stays there
// however many units reach it at once; one from far below climbs to it too.
TEST(FastForward, BalancesSaturateAtTheCeiling) {
  script::Reset();
  money[0] = kBalanceCeiling - 3;
  money[1] = kBalanceCeiling - 2'000'000;
  money[2] = std::numeric_limits<int32_t>::min();
  for (int c = 0; c < kChannels; ++c) {
    generators.push_back(Record(5 + 3 * c, 6, c, kFacingDown, kLevelCeiling));
    generators.push_back(Record(5 + 3 * c, 7, c, kFacingExtractor, kLevelCeiling));
  }
  ExpectSameAsPlain({1'000'000, 1'500'000}, "full balances");
  EXPECT_EQ(money[0], kBalanceCeiling);
  EXPECT_EQ(money[1], kBalanceCeiling);
  EXPECT_EQ(money[2], std::numeric_limits<int32_t>::min() + 2'500'000);
}

// Records only a loaded file can hold, each beside an ordinary chain: some
// come into the 1000-step rhythm after a while, some never do.
TEST(FastForward, LoadedRecordsOutOfRhythm) {
  struct Tcase {
    const char* what;
    Tgenerator odd;
  };
  const Tcase cases[] = {
      {"level 0, no charge", Record(4, 4, 0, kFacingUp, 0)},
      {"level 0, high charge", Record(4, 4, 0, kFacingUp, 0, 40'000)},
      {"charge far above 1000", Record(4, 4, 0, kFacingUp, 990, 65'000)},
      {"charge wrapping round", Record(4, 4, 0, kFacingExtractor, 999, 65'535)},
      {"level 1000, high charge", Record(4, 4, 0, kFacingUp, kLevelCeiling, 3'000)},
      {"level above 1000", Record(4, 4, 0, kFacingExtractor, 1'500, 10)},
      {"largest level", Record(4, 4, 0, kFacingUp, 65'535, 65'535)},
      {"colour 7", Record(4, 4, 7, kFacingUp, 500)},
      {"facing 9", Record(4, 4, 0, 9, 500)},
      {"column past the field", Record(60, 4, 0, kFacingLeft, 700)},
      {"row past the field", Record(4, 30, 0, kFacingUp, 700)},
      {"extractor past the field", Record(200, 200, 0, kFacingExtractor, 700)},
  };
  for (const Tcase& c : cases) {
    script::Reset();
    grid[4][3][0] = 250;
    grid[4][4][0] = 7;
    generators.push_back(Record(4, 5, 0, kFacingUp, 3, 10));
    generators.push_back(Record(4, 4, 0, kFacingExtractor, 5, 20));
    generators.push_back(c.odd);
    ExpectSameAsPlain({70'000, 3'001}, c.what);
  }
}

// A crafted save can pile thousands of records onto one amount; the plan for
// it would be too large to keep, so the field is stepped plainly, to the same end.
TEST(FastForward, ThousandsOfRecordsOnOneAmount) {
  script::Reset();
  grid[10][10][1] = 100;
  for (int i = 0; i < 3000; ++i) {
    generators.push_back(Record(10, 11, 1, kFacingUp, kLevelCeiling - i % 7, i % 1000));
    generators.push_back(Record(10, 10, 1, kFacingExtractor, kLevelCeiling - i % 5, (7 * i) % 1000));
  }
  ExpectSameAsPlain({2'500, 1'200}, "a crowded cell");
}

// No step count is too large: counts beyond any plain run must still agree
// with themselves when split, with nothing wrapping on the way.
TEST(FastForward, HugeStepCountsAgreeWhenSplit) {
  constexpr int64_t kHuge = std::numeric_limits<int64_t>::max();
  for (uint32_t seed = 100; seed < 112; ++seed) {
    TrandomWorld world(seed);
    world.Build(/*oddities=*/true);
    const Tsnapshot start = Capture();
    FastForwardWorld(kHuge);
    const Tsnapshot once = Capture();
    Restore(start);
    FastForwardWorld(kHuge / 2);
    FastForwardWorld(kHuge / 2 + 1);
    EXPECT_EQ(FirstDifference(once, Capture()), "") << "world " << seed;
  }
}

}  // namespace
