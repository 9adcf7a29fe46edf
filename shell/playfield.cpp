// DrawWorld: the grey field, its grid lines, the cells, the generators, the
// status bar, the hover outline and the game's own pointer mark, in that order.
#include "game/world.h"
#include "shell/draw.h"
#include "shell/services.h"

namespace {

constexpr int kFieldPixelWidth = kFieldWidth * kCellSize;
constexpr int kFieldPixelHeight = kFieldHeight * kCellSize;

void DrawBackground() {
  SetDrawColor(128, 128, 128);
  FillRect(0, 0, kFieldPixelWidth, kFieldPixelHeight);
  // A dark line along the top and the left of every cell.
  SetDrawColor(64, 64, 64);
  for (int row = 0; row < kFieldHeight; ++row) FillRect(0, kCellSize * row, kFieldPixelWidth, 1);
  for (int col = 0; col < kFieldWidth; ++col) FillRect(kCellSize * col, 0, 1, kFieldPixelHeight);
}

void DrawCells() {
  for (int y = 0; y < kFieldHeight; ++y) {
    for (int x = 0; x < kFieldWidth; ++x) {
      const uint8_t* cell = grid[x][y];
      if (cell[0] + cell[1] + cell[2] == 0) continue;  // empty cells keep the grid lines
      SetDrawColor(cell[0], cell[1], cell[2]);
      FillRect(kCellSize * x, kCellSize * y, kCellSize, kCellSize);
    }
  }
}

// Records loaded from a file may hold a colour outside 0..2: they get no tint
// and draw no sprite.
bool SetGeneratorColor(uint8_t color) {
  switch (color) {
    case 0: SetDrawColor(255, 0, 0); return true;
    case 1: SetDrawColor(0, 255, 0); return true;
    case 2: SetDrawColor(0, 0, 255); return true;
    default: return false;
  }
}

void DrawGenerators() {
  for (const Tgenerator& g : generators)
    if (SetGeneratorColor(g.color)) DrawFrame(g.facing, kCellSize * g.x, kCellSize * g.y);
}

void DrawHoverOutline() {
  if (VirtualMouseY() >= kFieldPixelHeight) return;
  // The status bar has just left white set.
  const int left = kCellSize * (VirtualMouseX() / kCellSize);
  const int top = kCellSize * (VirtualMouseY() / kCellSize);
  FillRect(left, top, kCellSize, 1);
  FillRect(left, top, 1, kCellSize);
  FillRect(left, top + kCellSize - 1, kCellSize, 1);
  FillRect(left + kCellSize - 1, top, 1, kCellSize);
}

void DrawPointerMark() {
  SetDrawColor(255, 255, 255);
  FillRect(VirtualMouseX(), VirtualMouseY(), 1, 2);
  FillRect(VirtualMouseX(), VirtualMouseY(), 2, 1);
}

}  // namespace

void DrawWorld() {
  ClearCanvas();
  DrawBackground();
  DrawCells();
  DrawGenerators();
  DrawStatusBar();
  DrawHoverOutline();
  DrawPointerMark();
}
