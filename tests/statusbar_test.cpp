// The status bar: its number texts, the frame-rate counter, and the bar as
// drawn at the bottom of a frame of play.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "game/world.h"
#include "shell/draw.h"
#include "shell/services.h"
#include "shell/sprites.h"
#include "shell/text.h"
#include "tests/support/golden.h"
#include "tests/support/script.h"

namespace {

TEST(NumberTexts, IntegersAndAmounts) {
  EXPECT_EQ(IntegerText(0), "0");
  EXPECT_EQ(IntegerText(1234), "1234");
  EXPECT_EQ(IntegerText(-5), "-5");
  EXPECT_EQ(IntegerText(INT32_MAX), "2147483647");
  EXPECT_EQ(IntegerText(INT32_MIN), "-2147483648");
  EXPECT_EQ(IntegerText(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(AmountText(0), "000");
  EXPECT_EQ(AmountText(3), "003");
  EXPECT_EQ(AmountText(42), "042");
  EXPECT_EQ(AmountText(255), "255");
}

TEST(NumberTexts, RateIsTheRoundedFloatProductCutToThreeCharacters) {
  struct Tcase {
    uint16_t level;
    const char* text;
  };
  // clang-format off
  const Tcase cases[] = {
      {1, "0.2"},   {7, "1.3"},   {10, "2.0"},  {14, "2.7"},  {19, "3.7"},  {23, "4.5"},
      {28, "5.5"},  {33, "6.5"},  {38, "7.5"},  {41, "8.1"},  {46, "9.1"},  {49, "9.8"},
      {50, "10."},  {54, "10."},  {495, "99."}, {499, "99."}, {500, "100"}, {1000, "200"},
      // Levels a loaded file may hold.
      {0, "0.0"},   {65535, "131"},
  };
  // clang-format on
  for (const Tcase& c : cases) EXPECT_EQ(RateText(c.level), c.text) << "level " << c.level;
}

TEST(FrameRate, ShowsOneUntilTheFirstSecondHasPassedThenTheFramesOfTheLastSecond) {
  struct Tcase {
    int64_t frameMillis;
    int32_t perSecond;  // calls from just after the first update to the first call past its second
  };
  for (const Tcase c : {Tcase{16, 63}, Tcase{25, 41}, Tcase{1000, 2}}) {
    ResetFPS();
    const int64_t start = 5000;
    int64_t now = start;
    script::SetNow(now);
    EXPECT_EQ(FPS::Calc(), 1);
    for (now += c.frameMillis; now <= start + 1000; now += c.frameMillis) {
      script::SetNow(now);
      ASSERT_EQ(FPS::Calc(), 1) << "at " << now << " ms, " << c.frameMillis << " ms per frame";
    }
    script::SetNow(now);
    EXPECT_EQ(FPS::Calc(), c.perSecond) << c.frameMillis << " ms per frame";
    // The next second counts afresh, and the rate holds until it ends.
    const int64_t secondEnd = now + 1000;
    for (now += c.frameMillis; now <= secondEnd; now += c.frameMillis) {
      script::SetNow(now);
      ASSERT_EQ(FPS::Calc(), c.perSecond);
    }
  }
}

TEST(FrameRate, AStoppedClockNeverWrapsTheCount) {
  ResetFPS();
  script::SetNow(1);
  FPS::Calc();
  FPS::framesCounted = INT32_MAX - 1;
  FPS::Calc();
  FPS::Calc();
  EXPECT_EQ(FPS::framesCounted, INT32_MAX);
}

// ---- The bar as drawn --------------------------------------------------------

constexpr int kCropTop = 232;  // the last row of cells, for the hover outline, and the bar
constexpr int kBarTop = 240;
constexpr int kActionLineBottom = 250;  // below this the contents line may have ink

class StatusBar : public ::testing::Test {
 protected:
  void SetUp() override {
    script::Reset();
    ASSERT_TRUE(LoadSpriteSheet());
    script::SetNow(1000);  // the frame-rate counter shows 1
  }
  // Points at the virtual pixel (x, y) on the scale-3 window.
  static void PointAt(int x, int y) { FeedPointer(x * scale, y * scale); }
  static void PointAtCell(int cx, int cy) { PointAt(kCellSize * cx + 3, kCellSize * cy + 3); }
  static ::testing::AssertionResult BarMatches(const std::string& name) {
    return MatchesGolden(name, CanvasPixels() + kCropTop * kCanvasWidth, kCanvasWidth,
                         kCanvasHeight - kCropTop);
  }
};

// The bounding box of every pixel of one colour in a part of the bar.
struct Tbox {
  int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
  int count = 0;
};

Tbox InkOf(Tpixel colour, int fromX = 0, int toX = kCanvasWidth - 1, int fromY = kBarTop,
           int toY = kCanvasHeight - 1) {
  Tbox box;
  for (int y = fromY; y <= toY; ++y)
    for (int x = fromX; x <= toX; ++x)
      if (CanvasPixel(x, y) == colour) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
        ++box.count;
      }
  return box;
}

constexpr Tpixel kRedText = PackPixel(255, 64, 64);
constexpr Tpixel kGreenText = PackPixel(64, 255, 64);
constexpr Tpixel kBlueText = PackPixel(64, 64, 255);
constexpr Tpixel kWhite = PackPixel(255, 255, 255);
constexpr Tpixel kBlack = PackPixel(0, 0, 0);

TEST_F(StatusBar, BalancesAreRightAlignedOnePixelFromTheEdge) {
  money[0] = 5;
  money[1] = 0;
  money[2] = 1234;
  PointAt(200, 260);  // over the bar: no action line, no contents
  DrawWorld();
  EXPECT_TRUE(BarMatches("status_balances"));
  // "5" is one character cell from x 471; column 0 of a cell never has ink.
  const Tbox red = InkOf(kRedText);
  EXPECT_GE(red.left, 472);
  EXPECT_LE(red.right, 478);
  EXPECT_LT(red.bottom, 253);
  const Tbox blue = InkOf(kBlueText);
  EXPECT_GE(blue.left, 448);
  EXPECT_LE(blue.left, 455);
  EXPECT_LE(blue.right, 478);
  EXPECT_GE(blue.top, 258);
  EXPECT_GT(InkOf(kGreenText).count, 0);
}

TEST_F(StatusBar, ANegativeBalanceKeepsItsSignAndStaysRightAligned) {
  money[0] = INT32_MIN;
  money[2] = -7;
  PointAt(200, 260);
  DrawWorld();
  EXPECT_TRUE(BarMatches("status_negative"));
  const Tbox red = InkOf(kRedText);
  EXPECT_GE(red.left, 480 - 11 * 8);  // "-2147483648" is eleven characters
  EXPECT_LE(red.left, 480 - 10 * 8);
  EXPECT_LE(red.right, 478);
}

TEST_F(StatusBar, AFreeCellShowsThePriceAndTheSelectedSprite) {
  selColor = 1;
  selFacing = kFacingDown;
  genCount[1] = 2;
  generators.push_back({.x = 40, .y = 3, .color = 1});
  generators.push_back({.x = 41, .y = 3, .color = 1});
  PointAtCell(10, 5);
  DrawWorld();
  EXPECT_TRUE(BarMatches("status_purchase"));
  // The down frame, tinted by the green text colour: a grey border, a white
  // bar across row 2, and the mask letting the black bar show through.
  EXPECT_EQ(CanvasPixel(8, 242), PackPixel(132 * 64 / 255, 132, 132 * 64 / 255));
  for (int x = 8; x < 16; ++x) EXPECT_EQ(CanvasPixel(x, 244), kGreenText) << x;
  EXPECT_EQ(CanvasPixel(9, 243), kBlack);
  EXPECT_GT(InkOf(kGreenText, 16, 300, kBarTop, kActionLineBottom).count, 0);
}

TEST_F(StatusBar, AGeneratorShowsItsLevelUpgradePriceAndRate) {
  generators.push_back({.x = 12, .y = 20, .color = 2, .level = 7, .facing = kFacingExtractor});
  PointAtCell(12, 20);
  DrawWorld();
  EXPECT_TRUE(BarMatches("status_upgrade"));
  // The extractor frame in blue: grey border, white corner dot at (1, 1).
  EXPECT_EQ(CanvasPixel(8, 242), PackPixel(132 * 64 / 255, 132 * 64 / 255, 132));
  EXPECT_EQ(CanvasPixel(9, 243), kBlueText);
  const Tbox line = InkOf(kBlueText, 16, 479, kBarTop, kActionLineBottom);
  EXPECT_GE(line.left, 17);
  // "Lv.7 Upgrade Cost: 70 (1.3/sec)" is 31 characters from x 16.
  EXPECT_LE(line.right, 16 + 31 * 8 - 1);
  EXPECT_GT(line.right, 16 + 30 * 8);
}

TEST_F(StatusBar, ACellShowsItsThreeAmountsAfterTheLabel) {
  grid[7][8][0] = 3;
  grid[7][8][1] = 0;
  grid[7][8][2] = 255;
  PointAtCell(7, 8);
  DrawWorld();
  EXPECT_TRUE(BarMatches("status_contents"));
  // Right of the red purchase preview and left of the balances.
  const Tbox red = InkOf(kRedText, 90, 400), green = InkOf(kGreenText, 90, 400),
             blue = InkOf(kBlueText, 90, 400);
  EXPECT_GE(red.left, 97);
  EXPECT_LE(red.right, 96 + 24 - 1);
  EXPECT_GE(green.left, 129);
  EXPECT_LE(green.right, 128 + 24 - 1);
  EXPECT_GE(blue.left, 161);
  EXPECT_LE(blue.right, 160 + 24 - 1);
  EXPECT_GE(red.top, 250);
}

TEST_F(StatusBar, BelowTheFieldOnlyBalancesAndFrameRateRemain) {
  money[1] = 77;
  generators.push_back({.x = 0, .y = 29, .color = 0});
  PointAt(4, 240);  // cell row 30
  DrawWorld();
  EXPECT_TRUE(BarMatches("status_below_field"));
  // Nothing between the frame rate (and the pointer mark beside it) and the balances.
  for (int y = kBarTop; y < kCanvasHeight; ++y)
    for (int x = 10; x < 400; ++x) ASSERT_EQ(CanvasPixel(x, y), kBlack) << x << "," << y;
}

// Records from a file can hold a colour or facing the game never writes: the
// line is drawn in white and no sprite is drawn, and nothing is read outside
// the colour table or the sprite sheet.
TEST_F(StatusBar, UnknownColoursAndFacingsDrawNoSprite) {
  struct Tcase {
    uint8_t color, facing;
    Tpixel lineColour;
  };
  for (const Tcase c :
       {Tcase{3, 0, kWhite}, Tcase{255, 4, kWhite}, Tcase{0, 8, kRedText}, Tcase{2, 255, kBlueText}}) {
    script::Reset();
    script::SetNow(1000);
    generators.push_back({.x = 30, .y = 10, .color = c.color, .level = 65535, .facing = c.facing});
    PointAtCell(30, 10);
    DrawWorld();
    for (int y = 242; y < 250; ++y)
      for (int x = 8; x < 16; ++x) ASSERT_EQ(CanvasPixel(x, y), kBlack) << "colour " << int{c.color};
    EXPECT_GT(InkOf(c.lineColour, 16, 479, kBarTop, kActionLineBottom).count, 0) << "colour " << int{c.color};
  }
}

TEST_F(StatusBar, LeavesWhiteSetWhenThePointerIsOverTheField) {
  grid[59][29][1] = 200;
  generators.push_back({.x = 59, .y = 29, .color = 1, .facing = kFacingLeft});
  PointAtCell(59, 29);
  DrawStatusBar();
  FillRect(0, 0, 1, 1);
  EXPECT_EQ(CanvasPixel(0, 0), kWhite);
}

}  // namespace
