// The simulation step: charges, emitters, extractors, list order, the field's
// edges, saturating balances and records loaded with values outside their ranges.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <vector>

#include "game/world.h"
#include "tests/support/script.h"

namespace {

constexpr uint8_t kUp = kFacingUp, kRight = kFacingRight, kDown = kFacingDown, kLeft = kFacingLeft,
                  kExtract = kFacingExtractor;

Tgenerator Gen(uint8_t x, uint8_t y, uint8_t color, uint8_t facing, uint16_t level, uint16_t charge = 0) {
  return {.x = x, .y = y, .color = color, .level = level, .charge = charge, .facing = facing};
}

struct Tcell {
  int x, y, c;
  uint8_t amount;
};

int GridSum() {
  int sum = 0;
  for (auto& column : grid)
    for (auto& cell : column)
      for (uint8_t v : cell) sum += v;
  return sum;
}

struct Tcase {
  const char* name = "";
  std::vector<Tgenerator> gens{};
  std::vector<Tcell> before{};
  int steps = 0;
  std::vector<Tcell> after{};
  std::array<int32_t, 3> moneyAfter{};
  std::array<int32_t, 3> moneyBefore{};
  int gridSum = -1;      // checked when not -1
  int firstCharge = -1;  // charge of the first record after the steps, when not -1
};

TEST(UpdateWorld, Scenarios) {
  const int32_t kMax = INT32_MAX;
  const Tcase cases[] = {
      {.name = "level 1 waits 999 steps",
       .gens = {Gen(10, 10, 1, kUp, 1)},
       .steps = 999,
       .after = {{10, 9, 1, 0}},
       .gridSum = 0,
       .firstCharge = 999},
      {.name = "level 1 acts in its 1000th step",
       .gens = {Gen(10, 10, 1, kUp, 1)},
       .steps = 1000,
       .after = {{10, 9, 1, 1}},
       .gridSum = 1,
       .firstCharge = 0},
      {.name = "level 1000 feeds every step",
       .gens = {Gen(3, 3, 0, kRight, 1000)},
       .before = {{4, 3, 0, 250}},
       .steps = 3,
       .after = {{4, 3, 0, 253}, {3, 3, 0, 0}},
       .firstCharge = 0},
      {.name = "pushes stop at 255 and the units are lost",
       .gens = {Gen(3, 3, 0, kRight, 1000)},
       .before = {{4, 3, 0, 250}},
       .steps = 10,
       .after = {{4, 3, 0, 255}},
       .gridSum = 255,
       .firstCharge = 0},
      {.name = "channels are independent",
       .gens = {Gen(3, 3, 2, kDown, 1000)},
       .before = {{3, 4, 0, 255}},
       .steps = 2,
       .after = {{3, 4, 0, 255}, {3, 4, 2, 2}}},
      {.name = "units pushed off the field are lost",
       .gens = {Gen(0, 5, 0, kLeft, 1000), Gen(7, 0, 2, kUp, 1000), Gen(59, 4, 1, kRight, 1000),
                Gen(8, 29, 0, kDown, 1000)},
       .steps = 50,
       .gridSum = 0},
      {.name = "extractor on an empty channel earns nothing",
       .gens = {Gen(6, 6, 0, kExtract, 1000)},
       .before = {{6, 6, 1, 255}, {6, 6, 2, 255}},
       .steps = 10,
       .after = {{6, 6, 1, 255}, {6, 6, 2, 255}},
       .moneyAfter = {0, 0, 0}},
      {.name = "extractor turns its own colour into money",
       .gens = {Gen(6, 6, 2, kExtract, 1000)},
       .before = {{6, 6, 2, 4}, {6, 6, 0, 9}},
       .steps = 10,
       .after = {{6, 6, 2, 0}, {6, 6, 0, 9}},
       .moneyAfter = {0, 0, 4}},
      {.name = "loaded charge 998 at level 3 acts in the first step",
       .gens = {Gen(2, 2, 0, kDown, 3, 998)},
       .steps = 1,
       .after = {{2, 3, 0, 1}},
       .firstCharge = 1},
      {.name = "charge wraps at 65536 and then waits",
       .gens = {Gen(2, 2, 0, kDown, 1000, 65000)},
       .steps = 1,
       .after = {{2, 3, 0, 0}},
       .firstCharge = 464},
      {.name = "a large loaded charge still acts once per step",
       .gens = {Gen(2, 2, 0, kDown, 1, 5000)},
       .steps = 1,
       .after = {{2, 3, 0, 1}},
       .firstCharge = 4001},
      {.name = "an extractor earlier in the list makes room for an emitter",
       .gens = {Gen(5, 5, 0, kExtract, 1000), Gen(5, 6, 0, kUp, 1000)},
       .before = {{5, 5, 0, 255}},
       .steps = 1,
       .after = {{5, 5, 0, 255}},
       .moneyAfter = {1, 0, 0}},
      {.name = "an emitter earlier in the list finds the cell full",
       .gens = {Gen(5, 6, 0, kUp, 1000), Gen(5, 5, 0, kExtract, 1000)},
       .before = {{5, 5, 0, 255}},
       .steps = 1,
       .after = {{5, 5, 0, 254}},
       .moneyAfter = {1, 0, 0}},
      {.name = "a fast extractor earns at its feeder's rate once the stock is gone",
       .gens = {Gen(5, 6, 1, kUp, 500), Gen(5, 5, 1, kExtract, 1000)},
       .before = {{5, 5, 1, 7}},
       .steps = 2000,
       .after = {{5, 5, 1, 0}},
       .moneyAfter = {0, 1007, 0}},
      {.name = "a slow extractor earns at its own rate",
       .gens = {Gen(5, 6, 1, kUp, 1000), Gen(5, 5, 1, kExtract, 500)},
       .steps = 2000,
       .moneyAfter = {0, 1000, 0}},
      {.name = "facings beyond the extractor do nothing but spend the charge",
       .gens = {Gen(9, 9, 0, 5, 1000), Gen(9, 9, 1, 255, 1000)},
       .before = {{9, 9, 0, 5}, {9, 9, 1, 5}},
       .steps = 10,
       .moneyAfter = {0, 0, 0},
       .gridSum = 10,
       .firstCharge = 0},
      {.name = "a fortune near the top stays at the top",
       .gens = {Gen(1, 1, 0, kExtract, 1000)},
       .before = {{1, 1, 0, 10}},
       .steps = 5,
       .after = {{1, 1, 0, 5}},
       .moneyAfter = {kMax, 0, 0},
       .moneyBefore = {kMax - 2, 0, 0}},
      {.name = "loaded records outside the field or of no colour touch nothing outside",
       .gens = {Gen(60, 5, 0, kExtract, 1000), Gen(255, 255, 1, kExtract, 1000), Gen(3, 3, 3, kExtract, 1000),
                Gen(3, 3, 200, kUp, 1000), Gen(4, 4, 255, kRight, 1000), Gen(255, 0, 0, kRight, 1000),
                Gen(0, 255, 0, kDown, 1000), Gen(59, 200, 2, kUp, 1000)},
       .before = {{3, 3, 0, 9}, {3, 3, 1, 9}, {3, 3, 2, 9}},
       .steps = 3,
       .after = {{3, 3, 0, 9}, {3, 2, 0, 0}, {0, 0, 0, 0}, {5, 4, 0, 0}},
       .moneyAfter = {0, 0, 0},
       .gridSum = 27},
      {.name = "an emitter just off the field still feeds the edge it faces",
       .gens = {Gen(60, 5, 0, kLeft, 1000)},
       .steps = 3,
       .after = {{59, 5, 0, 3}},
       .gridSum = 3},
  };
  for (const Tcase& t : cases) {
    SCOPED_TRACE(t.name);
    script::Reset();
    generators = t.gens;
    for (int c = 0; c < kChannels; ++c) money[c] = t.moneyBefore[static_cast<size_t>(c)];
    for (const Tcell& cell : t.before) grid[cell.x][cell.y][cell.c] = cell.amount;
    for (int i = 0; i < t.steps; ++i) UpdateWorld();
    for (const Tcell& cell : t.after)
      EXPECT_EQ(grid[cell.x][cell.y][cell.c], cell.amount) << cell.x << "," << cell.y << "," << cell.c;
    for (int c = 0; c < kChannels; ++c)
      EXPECT_EQ(money[c], t.moneyAfter[static_cast<size_t>(c)]) << "c=" << c;
    if (t.gridSum != -1) {
      EXPECT_EQ(GridSum(), t.gridSum);
    }
    if (t.firstCharge != -1) {
      EXPECT_EQ(generators.front().charge, t.firstCharge);
    }
    EXPECT_EQ(generators.size(), t.gens.size());
  }
}

TEST(UpdateWorld, LevelLActsLTimesPerThousandSteps) {
  for (int level : {1, 3, 7, 333, 999, 1000}) {
    script::Reset();
    generators = {Gen(20, 20, 0, kExtract, static_cast<uint16_t>(level))};
    for (int i = 0; i < 1000; ++i) {
      grid[20][20][0] = 1;  // restocked, so every action earns exactly 1
      UpdateWorld();
    }
    EXPECT_EQ(money[0], level) << "level " << level;
    EXPECT_EQ(generators[0].charge, 0) << "level " << level;
  }
}

// The commands of a step come before its generators act, so a held right button
// over a cell fed every step collects exactly one unit per step.
TEST(UpdateWorld, HarvestingAFedCellCollectsOneUnitPerStep) {
  script::Reset();
  generators = {Gen(10, 11, 0, kUp, 1000)};
  script::Move(0, 10 * kCellSize * 3 + 4, 10 * kCellSize * 3 + 4);
  script::ButtonDown(0, kButtonRight);
  constexpr int kSteps = 300;
  for (int i = 0; i < kSteps; ++i) {
    script::Advance(1);
    HandleInput();
    UpdateWorld();
  }
  EXPECT_EQ(money[0], kSteps - 1);  // the last unit is still in the cell
  EXPECT_EQ(grid[10][10][0], 1);
}

}  // namespace
