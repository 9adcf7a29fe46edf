// The command handler on the scripted platform: selections, buying, upgrading,
// selling, harvesting and quitting, fed as a player would feed them; and the
// prices and balance arithmetic behind them.
#include "game/commands.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "game/rules.h"
#include "game/world.h"
#include "tests/support/script.h"

namespace {

constexpr int kScale = 3;  // what script::Reset() sets
constexpr int kCellPixels = kCellSize * kScale;

Tgenerator Gen(uint8_t x, uint8_t y, uint8_t color, uint16_t level, uint8_t facing = kFacingUp) {
  return {.x = x, .y = y, .color = color, .level = level, .charge = 0, .facing = facing};
}

void PointAtWindowPixel(int px, int py) { script::Move(script::Now(), px, py); }
void PointAt(int cx, int cy) { PointAtWindowPixel(cx * kCellPixels + 4, cy * kCellPixels + 4); }
void Press(int code) { script::KeyPress(script::Now(), code); }
void Click() { script::Click(script::Now(), kButtonLeft); }

// One command call that sees everything scheduled before it.
void Call() {
  script::Advance(1);
  HandleInput();
}

std::string CallCapturingStdout() {
  testing::internal::CaptureStdout();
  Call();
  return testing::internal::GetCapturedStdout();
}

void SetMoney(std::array<int32_t, 3> m) {
  for (int c = 0; c < kChannels; ++c) money[c] = m[static_cast<size_t>(c)];
}

std::array<int32_t, 3> Money() { return {money[0], money[1], money[2]}; }

// ---- Prices and balances -------------------------------------------------------

TEST(Rules, UpgradesPaidIsTheSumOfEveryUpgradeEvenBeyondThirtyTwoBits) {
  for (int level : {0, 1, 2, 3, 1000, 20725, 20726, 65535}) {
    int64_t sum = 0;
    for (int64_t i = 1; i <= level; ++i) sum += i * 10 - 10;
    EXPECT_EQ(UpgradesPaid(static_cast<uint16_t>(level)), sum) << "level " << level;
  }
}

TEST(Rules, AddToBalanceSaturatesAtBothBounds) {
  struct Tcase {
    int32_t start;
    int64_t amount;
    int32_t expected;
  };
  const Tcase cases[] = {
      {-5, 3, -2},
      {INT32_MAX - 1, 255, INT32_MAX},
      {INT32_MAX, 1, INT32_MAX},
      {0, int64_t{1} << 40, INT32_MAX},
      {INT32_MIN, -1, INT32_MIN},
      {INT32_MIN, 5, INT32_MIN + 5},
  };
  for (const Tcase& t : cases) {
    money[1] = t.start;
    AddToBalance(1, t.amount);
    EXPECT_EQ(money[1], t.expected) << t.start << " + " << t.amount;
  }
}

// ---- Buying ----------------------------------------------------------------------

TEST(HandleInput, BuysOnlyWhenTheSelectedBalanceCoversThePrice) {
  struct Tcase {
    int32_t balance;
    uint16_t owned;
    bool buys;
  };
  const Tcase cases[] = {
      {4, 0, false},  {5, 0, true},  {-1, 0, false},  {INT32_MIN, 0, false},
      {14, 2, false}, {15, 2, true}, {1000, 2, true}, {INT32_MAX, 65535, true},  // count wraps to 0
  };
  for (const Tcase& t : cases) {
    SCOPED_TRACE(testing::Message() << t.balance << " with " << t.owned << " owned");
    script::Reset();
    selColor = 1;
    selFacing = kFacingLeft;
    SetMoney({1000, t.balance, 1000});
    genCount[1] = t.owned;
    PointAt(7, 12);
    Click();
    const std::string out = CallCapturingStdout();
    const int32_t price = t.owned * 5 + 5;
    if (t.buys) {
      ASSERT_EQ(generators.size(), 1u);
      const Tgenerator& g = generators[0];
      EXPECT_EQ(g.x, 7);
      EXPECT_EQ(g.y, 12);
      EXPECT_EQ(g.color, 1);
      EXPECT_EQ(g.facing, kFacingLeft);
      EXPECT_EQ(g.level, 1);
      EXPECT_EQ(g.charge, 0);
      EXPECT_EQ(out, "generator spawned\r\n");
      EXPECT_EQ(Money(), (std::array<int32_t, 3>{1000, t.balance - price, 1000}));
      EXPECT_EQ(genCount[1], static_cast<uint16_t>(t.owned + 1));
    } else {
      EXPECT_TRUE(generators.empty());
      EXPECT_EQ(out, "");
      EXPECT_EQ(Money(), (std::array<int32_t, 3>{1000, t.balance, 1000}));
      EXPECT_EQ(genCount[1], t.owned);
    }
  }
}

TEST(HandleInput, EachClickIsOneActionAndAHeldButtonIsNotAClick) {
  script::Reset();
  money[0] = 1000;
  PointAt(1, 1);
  script::ButtonDown(script::Now(), kButtonLeft);
  Call();
  Call();
  Call();
  EXPECT_EQ(generators.size(), 1u);
  EXPECT_EQ(generators[0].level, 1);
}

// ---- Upgrading -------------------------------------------------------------------

TEST(HandleInput, ClickOnAGeneratorUpgradesItWithItsOwnColourOfMoney) {
  struct Tcase {
    const char* name;
    uint8_t color;
    uint16_t level;
    std::array<int32_t, 3> before;
    int shift;  // a Shift key held during the clicks, or kNoKey
    int clicks;
    uint16_t levelAfter;
    std::array<int32_t, 3> after;
  };
  const Tcase cases[] = {
      {"one level", 0, 1, {10, 0, 0}, kNoKey, 1, 2, {0, 0, 0}},
      {"too poor", 0, 1, {9, 0, 0}, kNoKey, 1, 1, {9, 0, 0}},
      {"debt never pays", 0, 1, {-5, 0, 0}, kNoKey, 1, 1, {-5, 0, 0}},
      {"another colour's generator", 2, 1, {100, 0, 10}, kNoKey, 1, 2, {100, 0, 0}},
      {"level 1000 is not upgraded", 0, 1000, {1000000, 0, 0}, kNoKey, 1, 1000, {1000000, 0, 0}},
      {"level 1000 not even with Shift", 0, 1000, {1000000, 0, 0}, kKeyLeftShift, 1, 1000, {1000000, 0, 0}},
      {"left Shift buys up to 1000", 0, 1, {10000000, 0, 0}, kKeyLeftShift, 1, 1000, {5005000, 0, 0}},
      {"a second Shift click does nothing", 0, 1, {10000000, 0, 0}, kKeyLeftShift, 2, 1000, {5005000, 0, 0}},
      {"left Shift stops when the money does", 0, 1, {25, 0, 0}, kKeyLeftShift, 1, 2, {15, 0, 0}},
      {"left Shift from 999", 1, 999, {0, 9990, 0}, kKeyLeftShift, 1, 1000, {0, 0, 0}},
      {"right Shift does not repeat", 0, 1, {10000000, 0, 0}, kKeyRightShift, 1, 2, {9999990, 0, 0}},
      {"no colour: no upgrade, no buy", 5, 1, {100, 100, 100}, kKeyLeftShift, 1, 1, {100, 100, 100}},
  };
  for (const Tcase& t : cases) {
    SCOPED_TRACE(t.name);
    script::Reset();
    generators = {Gen(20, 20, t.color, t.level)};
    genCount[0] = genCount[1] = genCount[2] = 1;
    SetMoney(t.before);
    PointAt(20, 20);
    if (t.shift != kNoKey) script::KeyDown(script::Now(), t.shift);
    for (int i = 0; i < t.clicks; ++i) {
      Click();
      Call();
      script::Advance(2);
    }
    ASSERT_EQ(generators.size(), 1u);
    EXPECT_EQ(generators[0].level, t.levelAfter);
    EXPECT_EQ(Money(), t.after);
  }
}

TEST(HandleInput, EveryGeneratorOnTheClickedCellGetsItsTurnInOrder) {
  script::Reset();
  generators = {Gen(4, 4, 0, 1), Gen(5, 4, 0, 1), Gen(4, 4, 0, 1)};  // two share a cell, as a file may hold
  money[0] = 40;
  PointAt(4, 4);
  script::KeyDown(script::Now(), kKeyLeftShift);
  Click();
  Call();
  // The first takes 10 and 20, cannot pay 30; the second takes the last 10.
  EXPECT_EQ(generators[0].level, 3);
  EXPECT_EQ(generators[1].level, 1);
  EXPECT_EQ(generators[2].level, 2);
  EXPECT_EQ(money[0], 0);
}

// ---- Selling ---------------------------------------------------------------------

TEST(HandleInput, SellingRefundsWhatWasPaid) {
  script::Reset();
  money[0] = 30;
  for (int x : {1, 2, 3}) {
    PointAt(x, 1);
    Click();
    EXPECT_EQ(CallCapturingStdout(), "generator spawned\r\n");
  }
  ASSERT_EQ(generators.size(), 3u);
  EXPECT_EQ(money[0], 0);  // 5 + 10 + 15
  struct Tsale {
    int x;
    int32_t balanceAfter;
  };
  for (const Tsale& s : {Tsale{2, 15}, Tsale{1, 25}, Tsale{3, 30}}) {
    PointAt(s.x, 1);
    Press(kKeySpace);
    Call();
    EXPECT_EQ(money[0], s.balanceAfter) << "selling at column " << s.x;
  }
  EXPECT_TRUE(generators.empty());
  EXPECT_EQ(genCount[0], 0);
}

TEST(HandleInput, RefundOfOneGenerator) {
  struct Tcase {
    const char* name;
    Tgenerator g;
    uint16_t owned;
    int32_t before;
    int32_t after;  // the balance of the generator's colour
    uint16_t ownedAfter;
  };
  const Tcase cases[] = {
      {"level 1", Gen(8, 8, 0, 1), 1, 0, 5, 0},
      {"upgraded from 1 to 3 returns 30 more", Gen(8, 8, 0, 3), 1, 0, 35, 0},
      {"the most recent price of its colour", Gen(8, 8, 2, 1), 3, 0, 15, 2},
      {"level 1000", Gen(8, 8, 1, 1000), 1, 0, 5 + 4995000, 0},
      {"a loaded level whose refund passes 32 bits", Gen(8, 8, 0, 65535), 1, 0, INT32_MAX, 0},
      {"a fortune near the top", Gen(8, 8, 0, 1), 1, INT32_MAX - 2, INT32_MAX, 0},
      {"a loaded count of 0 wraps", Gen(8, 8, 0, 1), 0, 0, 65535 * 5 + 5, 65535},
  };
  for (const Tcase& t : cases) {
    SCOPED_TRACE(t.name);
    script::Reset();
    generators = {t.g};
    genCount[t.g.color] = t.owned;
    money[t.g.color] = t.before;
    PointAt(8, 8);
    Press(kKeySpace);
    Call();
    EXPECT_TRUE(generators.empty());
    EXPECT_EQ(money[t.g.color], t.after);
    EXPECT_EQ(genCount[t.g.color], t.ownedAfter);
  }
}

TEST(HandleInput, SpaceSellsEveryRecordOnTheCellAndNothingElse) {
  script::Reset();
  generators = {Gen(4, 4, 0, 1), Gen(5, 5, 1, 1), Gen(4, 4, 2, 2), Gen(4, 4, 9, 7)};
  genCount[0] = genCount[1] = genCount[2] = 1;
  PointAt(4, 4);
  Press(kKeySpace);
  Call();
  ASSERT_EQ(generators.size(), 1u);
  EXPECT_EQ(generators[0].x, 5);
  // Red returns 5, blue 5 + 10; the record of no known colour goes without a refund.
  EXPECT_EQ(Money(), (std::array<int32_t, 3>{5, 0, 15}));
  EXPECT_EQ(genCount[0], 0);
  EXPECT_EQ(genCount[1], 1);
  EXPECT_EQ(genCount[2], 0);
}

// ---- Harvesting and where the pointer is -------------------------------------------

TEST(HandleInput, HarvestTakesTheWholeCellUnderThePointer) {
  struct Tcase {
    int px, py;
    int cx, cy;
  };  // window pixels; the cell harvested, or -1
  const Tcase cases[] = {
      {10 * kCellPixels + 1, 10 * kCellPixels + 1, 10, 10},
      {-2, 10 * kCellPixels, 0, 10},             // dragged just left of the window: column 0
      {-23, 10 * kCellPixels, 0, 10},            // -7 virtual pixels still truncates to 0
      {-24, 10 * kCellPixels, -1, -1},           // -8 virtual pixels is column -1
      {3, -5, 0, 0},                             // just above the window: row 0
      {59 * kCellPixels, 239 * kScale, 59, 29},  // the last row of the field
      {59 * kCellPixels, 240 * kScale, -1, -1},  // the status bar
      {480 * kScale, 5, -1, -1},                 // right of the window
  };
  for (const Tcase& t : cases) {
    SCOPED_TRACE(testing::Message() << "pointer " << t.px << "," << t.py);
    script::Reset();
    for (auto [x, y] : {std::pair{10, 10}, {0, 10}, {0, 0}, {59, 29}}) {
      grid[x][y][0] = 3;
      grid[x][y][1] = 4;
      grid[x][y][2] = 250;
    }
    money[2] = INT32_MAX - 100;
    script::ButtonDown(script::Now(), kButtonRight);
    PointAtWindowPixel(t.px, t.py);
    Call();
    if (t.cx < 0) {
      EXPECT_EQ(Money(), (std::array<int32_t, 3>{0, 0, INT32_MAX - 100}));
      continue;
    }
    EXPECT_EQ(Money(), (std::array<int32_t, 3>{3, 4, INT32_MAX}));
    for (int c = 0; c < kChannels; ++c) EXPECT_EQ(grid[t.cx][t.cy][c], 0);
  }
}

TEST(HandleInput, NothingActsWithThePointerOverTheStatusBar) {
  script::Reset();
  generators = {Gen(5, 29, 0, 1)};
  genCount[0] = 1;
  money[0] = 1000;
  grid[5][29][0] = 7;
  PointAtWindowPixel(5 * kCellPixels + 4, 240 * kScale);
  Click();
  Press(kKeySpace);
  script::ButtonDown(script::Now(), kButtonRight);
  EXPECT_EQ(CallCapturingStdout(), "");
  EXPECT_EQ(generators.size(), 1u);
  EXPECT_EQ(generators[0].level, 1);
  EXPECT_EQ(money[0], 1000);
  EXPECT_EQ(grid[5][29][0], 7);
}

// The pointer may move between any two queries of one call; nothing bought may
// land off the field and nothing harvested may be read from outside it.
TEST(HandleInput, APointerJumpingOnEveryQueryNeverActsOffTheField) {
  script::Reset();
  script::SetMillisPerClockRead(1);
  money[0] = money[1] = money[2] = INT32_MAX;
  const std::array<std::pair<int, int>, 4> spots = {{{59 * kCellPixels + 1, 29 * kCellPixels + 1},
                                                     {60 * kCellPixels + 1, 29 * kCellPixels + 1},
                                                     {59 * kCellPixels + 1, 40 * kCellPixels},
                                                     {5000, 9000}}};
  std::minstd_rand random(7);
  for (int t = 0; t < 4000; ++t) {
    const auto [px, py] = spots[random() % spots.size()];
    script::Move(t, px, py);
    if (t % 5 == 0) script::Click(t, kButtonLeft);
  }
  script::ButtonDown(0, kButtonRight);
  for (int i = 0; i < 400; ++i) {
    grid[59][29][0] = 1;
    HandleInput();
  }
  EXPECT_FALSE(generators.empty());
  for (const Tgenerator& g : generators) EXPECT_TRUE(InBounds(g.x, g.y)) << int{g.x} << "," << int{g.y};
}

// ---- Selections --------------------------------------------------------------------

TEST(HandleInput, KeyPairsAskTheSecondKeyOnlyWhenTheFirstHadNoHit) {
  struct Tcase {
    std::vector<int> keys;
    uint8_t facing1, color1;  // after the call that sees the presses
    uint8_t facing2, color2;  // after a further call with no new input
  };
  // Every case starts with facing right (1) and green (1).
  const Tcase cases[] = {
      {{kKeyUp, 'W', 'E'}, 4, 1, 0, 1},  // W was not asked and is still counted
      {{'W'}, 0, 1, 0, 1},
      {{'S', kKeyUp}, 2, 1, 2, 1},  // several hits leave the last in table order
      {{'D', 'A'}, 3, 1, 3, 1},
      {{kKeyLeft, 'E'}, 4, 1, 4, 1},
      {{'R', 'Z', 'G'}, 1, 1, 1, 0},  // Z still counted
      {{'C', 'X'}, 1, 2, 1, 2},
      {{'B'}, 1, 2, 1, 2},
      {{'W', kKeyRight, 'B', 'R'}, 1, 2, 1, 2},
      {{kKeyLeftShift, kKeyRightShift, 'Q'}, 1, 1, 1, 1},
  };
  for (const Tcase& t : cases) {
    SCOPED_TRACE(testing::Message() << "first key " << t.keys[0] << ", " << t.keys.size() << " keys");
    script::Reset();
    selFacing = kFacingRight;
    selColor = 1;
    for (int code : t.keys) Press(code);
    Call();
    EXPECT_EQ(selFacing, t.facing1);
    EXPECT_EQ(selColor, t.color1);
    Call();
    EXPECT_EQ(selFacing, t.facing2);
    EXPECT_EQ(selColor, t.color2);
  }
}

// ---- Quitting ------------------------------------------------------------------------

TEST(HandleInput, EscapeOrElseACloseRequestQuits) {
  struct Tcase {
    bool escape, close, quits, closeStillPending;
  };
  const Tcase cases[] = {
      {false, false, false, false},
      {true, false, true, false},
      {false, true, true, false},
      {true, true, true, true},  // Escape answered first; the close request stays for later
  };
  for (const Tcase& t : cases) {
    SCOPED_TRACE(testing::Message() << "escape " << t.escape << " close " << t.close);
    script::Reset();
    if (t.escape) Press(kKeyEscape);
    if (t.close) script::Close(script::Now());
    Call();
    EXPECT_EQ(quitRequested, t.quits ? 1 : 0);
    EXPECT_EQ(TakeCloseRequest(), t.closeStillPending);
  }
}

TEST(HandleInput, QuittingStillAppliesTheRestOfTheCall) {
  script::Reset();
  money[0] = 5;
  PointAt(3, 3);
  Press(kKeyEscape);
  Press('E');
  Click();
  EXPECT_EQ(CallCapturingStdout(), "generator spawned\r\n");
  EXPECT_EQ(quitRequested, 1);
  ASSERT_EQ(generators.size(), 1u);
  EXPECT_EQ(generators[0].facing, kFacingExtractor);
}

// Inputs that land in one call act in the order selection, click, sale,
// harvest: a colour chosen with the click already buys in it, and a click and
// Space together buy and then sell again.
TEST(HandleInput, OneCallActsInItsOrder) {
  script::Reset();
  SetMoney({100, 100, 100});
  PointAt(8, 8);
  Press('G');
  Click();
  EXPECT_EQ(CallCapturingStdout(), "generator spawned\r\n");
  ASSERT_EQ(generators.size(), 1u);
  EXPECT_EQ(generators[0].color, 1);

  PointAt(9, 8);
  grid[9][8][2] = 40;
  Click();
  Press(kKeySpace);
  script::ButtonDown(script::Now(), kButtonRight);
  EXPECT_EQ(CallCapturingStdout(), "generator spawned\r\n");
  EXPECT_EQ(generators.size(), 1u) << "the generator bought in the call is sold in it";
  EXPECT_EQ(Money(), (std::array<int32_t, 3>{100, 95, 140})) << "paid 10, refunded 10, harvested 40";
}

}  // namespace
