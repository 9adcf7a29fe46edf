// The generator sprite sheet: eight 8x8 frames, four to a row, decoded from the
// PNG compiled into the program.
#pragma once

#include <cstdint>

constexpr int kSheetWidth = 32;
constexpr int kSheetHeight = 16;
constexpr int kFrameSize = 8;
constexpr int kFrameCount = 8;
constexpr int kFramesPerRow = kSheetWidth / kFrameSize;

struct TsheetPixel {
  uint8_t r = 0, g = 0, b = 0;
  bool opaque = false;  // exactly black pixels are the transparent mask
};

// Decodes the embedded sheet. Returns false, after writing why on standard
// error, when the image cannot be decoded.
bool LoadSpriteSheet();
// The decoded pixel at (x, y) of the sheet; transparent outside it.
TsheetPixel SheetPixel(int x, int y);
