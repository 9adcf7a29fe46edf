// The playfield frame, pixel for pixel: background, grid lines, cells,
// tinted generators, the hover outline and the pointer mark.
#include <gtest/gtest.h>

#include <vector>

#include "game/world.h"
#include "shell/draw.h"
#include "shell/sprites.h"
#include "tests/support/golden.h"
#include "tests/support/script.h"

namespace {

constexpr Tpixel kBackground = PackPixel(128, 128, 128);
constexpr Tpixel kGridLine = PackPixel(64, 64, 64);
constexpr Tpixel kWhite = PackPixel(255, 255, 255);
constexpr int kFieldRows = kFieldHeight * kCellSize;

class PlayfieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    script::Reset();
    ASSERT_TRUE(LoadSpriteSheet());
  }
  // Points at virtual pixel (x, y) at the window scale of 3.
  static void PointAt(int x, int y) { FeedPointer(3 * x, 3 * y); }
  // The playfield rows only: the status bar has images of its own.
  static std::vector<Tpixel> Field() {
    DrawWorld();
    return {CanvasPixels(), CanvasPixels() + kCanvasWidth * kFieldRows};
  }
  static ::testing::AssertionResult FieldMatches(const std::string& name) {
    const std::vector<Tpixel> field = Field();
    return MatchesGolden(name, field.data(), kCanvasWidth, kFieldRows);
  }
};

TEST_F(PlayfieldTest, EmptyWorldIsAGreyFieldWithDarkLinesAtTopAndLeftOfEveryCell) {
  PointAt(300, 250);  // over the bar: no outline in the field
  DrawWorld();
  for (int y = 0; y < kFieldRows; ++y)
    for (int x = 0; x < kCanvasWidth; ++x)
      ASSERT_EQ(CanvasPixel(x, y), (x % 8 == 0 || y % 8 == 0) ? kGridLine : kBackground) << x << "," << y;
  EXPECT_TRUE(FieldMatches("field_empty"));
}

TEST_F(PlayfieldTest, AFullRedCellHidesItsLinesAndAnEmptyOneIsNotDrawn) {
  grid[5][3][0] = 255;
  PointAt(300, 250);
  DrawWorld();
  for (int y = 24; y < 32; ++y)
    for (int x = 40; x < 48; ++x) ASSERT_EQ(CanvasPixel(x, y), PackPixel(255, 0, 0));
  EXPECT_EQ(CanvasPixel(48, 24), kGridLine);  // the neighbour keeps its line
  EXPECT_TRUE(FieldMatches("field_red_cell"));
}

TEST_F(PlayfieldTest, ARedLeftFacingGeneratorOnAFullBlueCell) {
  grid[10][10][2] = 255;
  generators.push_back({.x = 10, .y = 10, .color = 0, .facing = kFacingLeft});
  PointAt(300, 250);
  DrawWorld();
  EXPECT_EQ(CanvasPixel(80, 80), PackPixel(132, 0, 0));  // grey border tinted red
  EXPECT_EQ(CanvasPixel(85, 80), PackPixel(255, 0, 0));  // white bar tinted red
  EXPECT_EQ(CanvasPixel(81, 81), PackPixel(0, 0, 255));  // the mask shows the cell
  EXPECT_TRUE(FieldMatches("field_red_left_on_blue"));
}

TEST_F(PlayfieldTest, AllFiveFramesInAllThreeColours) {
  for (uint8_t color = 0; color < 3; ++color)
    for (uint8_t facing = 0; facing <= kFacingExtractor; ++facing)
      generators.push_back({.x = static_cast<uint8_t>(2 + 2 * facing), .y = static_cast<uint8_t>(2 + 2 * color),
                            .color = color, .facing = facing});
  PointAt(300, 250);
  EXPECT_TRUE(FieldMatches("field_all_frames"));
}

TEST_F(PlayfieldTest, LoadedRecordsOfUnknownColourOrFacingDrawNothing) {
  generators.push_back({.x = 1, .y = 1, .color = 3, .facing = 0});
  generators.push_back({.x = 2, .y = 1, .color = 0, .facing = 200});
  generators.push_back({.x = 250, .y = 250, .color = 1, .facing = 1});  // far outside the canvas
  PointAt(300, 250);
  EXPECT_TRUE(FieldMatches("field_empty"));
}

TEST_F(PlayfieldTest, HoverOutlineAndPointerMark) {
  PointAt(83, 45);  // cell (10, 5)
  DrawWorld();
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(CanvasPixel(80 + i, 40), kWhite);
    EXPECT_EQ(CanvasPixel(80 + i, 47), kWhite);
    EXPECT_EQ(CanvasPixel(80, 40 + i), kWhite);
    EXPECT_EQ(CanvasPixel(87, 40 + i), kWhite);
  }
  EXPECT_EQ(CanvasPixel(81, 41), kBackground);
  EXPECT_EQ(CanvasPixel(83, 45), kWhite);  // the three-pixel corner mark
  EXPECT_EQ(CanvasPixel(84, 45), kWhite);
  EXPECT_EQ(CanvasPixel(83, 46), kWhite);
  EXPECT_EQ(CanvasPixel(84, 46), kBackground);
  EXPECT_TRUE(FieldMatches("field_hover"));
}

TEST_F(PlayfieldTest, OverTheStatusBarOnlyThePointerMarkIsDrawn) {
  PointAt(100, 250);
  DrawWorld();
  EXPECT_EQ(CanvasPixel(100, 250), kWhite);
  EXPECT_EQ(CanvasPixel(101, 250), kWhite);
  EXPECT_EQ(CanvasPixel(100, 251), kWhite);
  EXPECT_EQ(CanvasPixel(101, 251), PackPixel(0, 0, 0));
  EXPECT_TRUE(FieldMatches("field_empty"));  // no outline anywhere in the field
}

TEST_F(PlayfieldTest, ThePointerMarkMovesInWholeVirtualPixels) {
  // At scale 3 the mark moves only at every third window pixel.
  // Virtual x 98..100 keep the mark clear of the hover outline.
  for (int windowX = 294; windowX < 303; ++windowX) {
    FeedPointer(windowX, 300);
    DrawWorld();
    const int virtualX = windowX / 3;
    EXPECT_EQ(CanvasPixel(virtualX + 1, 100), kWhite) << windowX;
    EXPECT_NE(CanvasPixel(virtualX + 2, 100), kWhite) << windowX;
    EXPECT_NE(CanvasPixel(virtualX - 1, 100), kWhite) << windowX;
  }
}

}  // namespace
