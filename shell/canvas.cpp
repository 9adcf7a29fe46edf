// The 480x270 canvas and the drawing primitives on it. Drawing is opaque and
// binary: a pixel is either set to a colour or left as it was.
#include <algorithm>

#include "shell/font.h"
#include "shell/platform.h"
#include "shell/services.h"
#include "shell/sprites.h"

namespace {

Tpixel canvas[kCanvasHeight][kCanvasWidth];
uint8_t drawR = 255, drawG = 255, drawB = 255;

void Plot(int x, int y, Tpixel colour) {
  if (x >= 0 && x < kCanvasWidth && y >= 0 && y < kCanvasHeight) canvas[y][x] = colour;
}

uint8_t Tint(uint8_t sprite, uint8_t current) {
  return static_cast<uint8_t>(sprite * current / 255);
}

}  // namespace

void ClearCanvas() {
  std::fill(&canvas[0][0], &canvas[0][0] + kCanvasWidth * kCanvasHeight, PackPixel(0, 0, 0));
}

void SetDrawColor(uint8_t r, uint8_t g, uint8_t b) {
  drawR = r;
  drawG = g;
  drawB = b;
}

void FillRect(int x, int y, int w, int h) {
  const int left = std::max(x, 0), right = std::min(x + w, kCanvasWidth);
  const int top = std::max(y, 0), bottom = std::min(y + h, kCanvasHeight);
  // A rectangle wholly off the canvas (a loaded generator beyond the field) draws nothing.
  if (left >= right || top >= bottom) return;
  const Tpixel colour = PackPixel(drawR, drawG, drawB);
  for (int row = top; row < bottom; ++row) std::fill(&canvas[row][left], &canvas[row][0] + right, colour);
}

void DrawFrame(int frame, int x, int y) {
  if (frame < 0 || frame >= kFrameCount) return;
  const int sheetX = kFrameSize * (frame % kFramesPerRow);
  const int sheetY = kFrameSize * (frame / kFramesPerRow);
  for (int row = 0; row < kFrameSize; ++row) {
    for (int col = 0; col < kFrameSize; ++col) {
      const TsheetPixel p = SheetPixel(sheetX + col, sheetY + row);
      if (!p.opaque) continue;
      Plot(x + col, y + row, PackPixel(Tint(p.r, drawR), Tint(p.g, drawG), Tint(p.b, drawB)));
    }
  }
}

namespace {
bool HasGlyph(char c) {
  const int code = static_cast<unsigned char>(c);
  return code >= kFirstGlyphCode && code <= kLastGlyphCode;
}
}  // namespace

void DrawLabel(std::string_view text, int x, int y) {
  const Tpixel colour = PackPixel(drawR, drawG, drawB);
  int penX = x;
  for (const char c : text) {
    if (!HasGlyph(c)) continue;  // skipped: no ink and the pen stays
    const int code = static_cast<unsigned char>(c);
    for (int row = 0; row < kGlyphHeight; ++row)
      for (int col = 0; col < kGlyphWidth; ++col)
        if (GlyphInk(code, col, row)) Plot(penX + col, y + row, colour);
    penX += kGlyphWidth;
  }
}

int LabelWidth(std::string_view text) {
  return kGlyphWidth * static_cast<int>(std::count_if(text.begin(), text.end(), HasGlyph));
}

void PresentFrame(uint8_t sync) { PresentCanvas(&canvas[0][0], sync != 0); }

const Tpixel* CanvasPixels() { return &canvas[0][0]; }

Tpixel CanvasPixel(int x, int y) {
  if (x < 0 || x >= kCanvasWidth || y < 0 || y >= kCanvasHeight) return 0;
  return canvas[y][x];
}

void ResetCanvas() { SetDrawColor(255, 255, 255); }
