// HandleInput: turns the polled keyboard and mouse into changes of the world,
// once before every simulation step.
#include "game/commands.h"

#include <array>
#include <cstddef>

#include "game/rules.h"
#include "game/world.h"
#include "shell/draw.h"
#include "shell/services.h"

namespace {

// The cell under the pointer is read afresh at every use: the pointer may have
// moved on any query, and a stale cell would act where the player no longer points.
// Integer division truncates towards zero, so a pointer dragged a little left of
// or above the window still counts as column 0 or row 0.
int CellX() { return VirtualMouseX() / kCellSize; }
int CellY() { return VirtualMouseY() / kCellSize; }

bool PairHit(const TkeyPair& pair) {
  if (KeyHits(pair.first) > 0) return true;
  return pair.second != kNoKey && KeyHits(pair.second) > 0;
}

void SelectFacing() {
  for (const TkeyPair& pair : kFacingKeys)
    if (PairHit(pair)) selFacing = pair.value;
}

void SelectColor() {
  for (const TkeyPair& pair : kColorKeys)
    if (PairHit(pair)) selColor = pair.value;
}

// One upgrade attempt, paid in the generator's own colour of money.
bool TryUpgrade(Tgenerator& g) {
  const int32_t price = UpgradePrice(g.level);
  if (money[g.color] < price) return false;
  money[g.color] -= price;
  g.level = static_cast<uint16_t>(g.level + 1);
  return true;
}

// Every generator on the cell below the ceiling gets one attempt, or, with
// left Shift held, as many as its balance allows up to the ceiling.
void UpgradeAtPointer() {
  for (Tgenerator& g : generators) {
    if (g.level >= kLevelCeiling || g.x != CellX() || g.y != CellY()) continue;
    if (g.color >= kChannels) continue;  // a loaded record of no known colour has no money to pay with
    bool succeeded = false;
    do {
      succeeded = TryUpgrade(g);
    } while (KeyHeld(kKeyRepeatUpgrade) && succeeded && g.level < kLevelCeiling);
  }
}

void BuyAtPointer() {
  // The cell stored must be the one inside the field, even if the pointer moved
  // since the caller looked: a generator bought off the field could never be seen.
  const int x = CellX();
  const int y = CellY();
  if (!InBounds(x, y)) return;
  const int32_t price = GeneratorPrice(selColor);
  if (money[selColor] < price) return;  // signed: a balance below the price never buys
  money[selColor] -= price;
  generators.push_back({.x = static_cast<uint8_t>(x),
                        .y = static_cast<uint8_t>(y),
                        .color = selColor,
                        .level = 1,
                        .charge = 0,
                        .facing = selFacing});
  WriteStdoutLine("generator spawned");
  genCount[selColor] = static_cast<uint16_t>(genCount[selColor] + 1);
}

void ClickAtPointer() {
  if (ButtonHits(kButtonBuy) == 0 || !InBounds(CellX(), CellY())) return;
  if (GeneratorAt(CellX(), CellY()))
    UpgradeAtPointer();
  else
    BuyAtPointer();
}

// Selling returns the price of the most recent purchase of that colour plus
// everything paid for the generator's upgrades. A record of no known colour
// goes without a refund and without touching any count.
void Refund(const Tgenerator& g) {
  if (g.color >= kChannels) return;
  genCount[g.color] = static_cast<uint16_t>(genCount[g.color] - 1);
  AddToBalance(g.color, int64_t{GeneratorPrice(g.color)} + UpgradesPaid(g.level));
}

// Every record on the cell is sold; the field test is left out on purpose, so
// a loaded record outside the field can still be sold from the status bar.
void SellAtPointer() {
  if (KeyHits(kKeySell) == 0) return;
  for (std::size_t i = 0; i < generators.size();) {
    const Tgenerator& g = generators[i];
    if (g.x == CellX() && g.y == CellY()) {
      Refund(g);
      generators.erase(generators.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

void HarvestAtPointer() {
  if (!ButtonHeld(kButtonHarvest)) return;
  // One reading for the test and the indexing: the cell emptied is the one
  // known to be inside the field.
  const int x = CellX();
  const int y = CellY();
  if (!InBounds(x, y)) return;
  for (int c = 0; c < kChannels; ++c) {
    AddToBalance(c, grid[x][y][c]);
    grid[x][y][c] = 0;
  }
}

}  // namespace

void HandleInput() {
  if (KeyHits(kKeyHelp) > 0) ShowHelp();  // modal; this call goes on when it closes
  SelectFacing();
  SelectColor();
  ClickAtPointer();
  SellAtPointer();
  HarvestAtPointer();
  // Escape, or else a close request: a pending close stays for later when
  // Escape already asked. The rest of the main-loop pass still runs.
  if (KeyHits(kKeyQuit) > 0 || TakeCloseRequest()) quitRequested = 1;
}

namespace {

// Every key HandleInput reads as a hit, taken from its bindings above; a pair's
// missing second key stays kNoKey, which is never pending.
constexpr auto kCommandKeys = [] {
  std::array<int, 2 * (std::size(kFacingKeys) + std::size(kColorKeys)) + 3> keys{};
  std::size_t n = 0;
  for (const TkeyPair& pair : kFacingKeys) keys[n++] = pair.first, keys[n++] = pair.second;
  for (const TkeyPair& pair : kColorKeys) keys[n++] = pair.first, keys[n++] = pair.second;
  keys[n++] = kKeyHelp;
  keys[n++] = kKeySell;
  keys[n++] = kKeyQuit;
  return keys;
}();
constexpr int kCommandHitButtons[] = {kButtonBuy};
constexpr int kCommandHeldButtons[] = {kButtonHarvest};

}  // namespace

// Left Shift only matters with a click, and unbound keys are never read, so
// neither keeps a step from being one in which the commands do nothing.
bool CommandsPending() { return InputPending(kCommandKeys, kCommandHitButtons, kCommandHeldButtons); }
