// The embedded sprite sheet decodes to exactly the frame art, with black as the
// transparent mask.
#include <gtest/gtest.h>

#include <string>

#include "shell/sprites.h"

namespace {

// The eight frames, one string per pixel row: g grey, w white, . transparent.
const char* const kFrameArt[kFrameCount][kFrameSize] = {
    {"gggggggg", "g......g", "g..ww..g", "g.w..w.g", "gw....wg", "wwwwwwww", "g......g", "gggggggg"},
    {"ggwggggg", "g.ww...g", "g.w.w..g", "g.w..w.g", "g.w..w.g", "g.w.w..g", "g.ww...g", "ggwggggg"},
    {"gggggggg", "g......g", "wwwwwwww", "gw....wg", "g.w..w.g", "g..ww..g", "g......g", "gggggggg"},
    {"gggggwgg", "g...ww.g", "g..w.w.g", "g.w..w.g", "g.w..w.g", "g..w.w.g", "g...ww.g", "gggggwgg"},
    {"gggggggg", "gw....wg", "g..ww..g", "g.w..w.g", "g.w..w.g", "g..ww..g", "gw....wg", "gggggggg"},
    {"gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg"},
    {"gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg"},
    {"gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg"},
};

TEST(SpriteSheet, DecodesEveryPixelOfEveryFrame) {
  ASSERT_TRUE(LoadSpriteSheet());
  for (int frame = 0; frame < kFrameCount; ++frame) {
    for (int row = 0; row < kFrameSize; ++row) {
      for (int col = 0; col < kFrameSize; ++col) {
        const TsheetPixel p = SheetPixel(kFrameSize * (frame % kFramesPerRow) + col,
                                         kFrameSize * (frame / kFramesPerRow) + row);
        const char art = kFrameArt[frame][row][col];
        const std::string where = "frame " + std::to_string(frame) + " at " + std::to_string(col) +
                                  "," + std::to_string(row);
        const uint8_t level = art == 'g' ? 132 : art == 'w' ? 255 : 0;
        EXPECT_EQ(p.opaque, art != '.') << where;
        EXPECT_EQ(p.r, level) << where;
        EXPECT_EQ(p.g, level) << where;
        EXPECT_EQ(p.b, level) << where;
      }
    }
  }
}

TEST(SpriteSheet, OutsideTheSheetIsTransparent) {
  ASSERT_TRUE(LoadSpriteSheet());
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {kSheetWidth, 0}, {0, kSheetHeight}})
    EXPECT_FALSE(SheetPixel(x, y).opaque);
}

}  // namespace
