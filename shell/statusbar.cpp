// The status bar along the bottom 30 rows of the canvas: the balances, the
// frame rate, what a click on the pointed cell would buy or upgrade, and what
// that cell contains. It lies on the cleared canvas, with no background.
#include <string>

#include "game/rules.h"
#include "game/world.h"
#include "shell/draw.h"
#include "shell/services.h"
#include "shell/sprites.h"
#include "shell/text.h"

namespace {

constexpr int kBalanceTop = 238;
constexpr int kBalanceSpacing = 10;
constexpr int kRightMargin = 1;
constexpr int kIconX = 8;
constexpr int kIconY = 242;
constexpr int kActionX = 16;
constexpr int kActionY = 240;
constexpr int kContentsY = 250;
constexpr int kContentsLabelX = 16;
constexpr int kAmountX[kChannels] = {96, 128, 160};

struct Trgb {
  uint8_t r, g, b;
};

constexpr Trgb kChannelText[kChannels] = {{255, 64, 64}, {64, 255, 64}, {64, 64, 255}};
constexpr Trgb kWhite = {255, 255, 255};

void SetColor(Trgb c) { SetDrawColor(c.r, c.g, c.b); }

bool KnownColor(uint8_t color) { return color < kChannels; }

// A record loaded from a file may carry a colour of no channel: its line is
// drawn in white rather than reading past the colour table.
void SetChannelText(uint8_t color) { SetColor(KnownColor(color) ? kChannelText[color] : kWhite); }

// The preview sprite, tinted by the current colour; only colours and facings
// the sheet has a tint and a frame for are drawn.
void DrawIcon(uint8_t color, uint8_t facing) {
  if (KnownColor(color) && facing < kFrameCount) DrawFrame(facing, kIconX, kIconY);
}

void DrawBalances() {
  for (int c = 0; c < kChannels; ++c) {
    SetColor(kChannelText[c]);
    const std::string text = IntegerText(money[c]);
    DrawLabel(text, kCanvasWidth - LabelWidth(text) - kRightMargin, kBalanceTop + kBalanceSpacing * c);
  }
}

void DrawPurchasePreview() {
  if (!KnownColor(selColor)) return;  // nothing to price: no channel of that colour
  SetChannelText(selColor);
  DrawIcon(selColor, selFacing);
  DrawLabel("Cost: " + IntegerText(GeneratorPrice(selColor)), kActionX, kActionY);
}

void DrawUpgradeLine(const Tgenerator& g) {
  SetChannelText(g.color);
  DrawIcon(g.color, g.facing);
  const std::string line = "Lv." + IntegerText(g.level) +
                           " Upgrade Cost: " + IntegerText(UpgradePrice(g.level)) + " (" + RateText(g.level) +
                           "/sec)";
  DrawLabel(line, kActionX, kActionY);
}

void DrawActionLine(int cx, int cy) {
  if (InBounds(cx, cy) && !GeneratorAt(cx, cy)) {
    DrawPurchasePreview();
    return;
  }
  // Several records may share a cell (a loaded file); each draws its line, the last on top.
  for (const Tgenerator& g : generators)
    if (g.x == cx && g.y == cy) DrawUpgradeLine(g);
}

// Drawn last, ending with the white label, so the hover outline is white.
void DrawContents(int cx, int cy) {
  if (!InBounds(cx, cy)) return;
  for (int c = 0; c < kChannels; ++c) {
    SetColor(kChannelText[c]);
    DrawLabel(AmountText(grid[cx][cy][c]), kAmountX[c], kContentsY);
  }
  SetColor(kWhite);
  DrawLabel("Contains:", kContentsLabelX, kContentsY);
}

}  // namespace

void DrawStatusBar() {
  const int cx = VirtualMouseX() / kCellSize;
  const int cy = VirtualMouseY() / kCellSize;
  DrawBalances();
  FPS::DrawFPS();
  DrawActionLine(cx, cy);
  DrawContents(cx, cy);
}
