// UpdateWorld: one 5 ms simulation step over all generators, in purchase order.
#include "game/rules.h"
#include "game/world.h"

namespace {

// An emitter pushes one unit into the cell it faces, up to the ceiling; a
// unit that cannot go anywhere is lost.
void Emit(const Tgenerator& g) {
  const int x = g.x + kFeedDx[g.facing];
  const int y = g.y + kFeedDy[g.facing];
  if (!InBounds(x, y)) return;
  uint8_t& amount = grid[x][y][g.color];
  if (amount < kChannelCeiling) ++amount;
}

// An extractor turns one unit of its colour in its own cell into money.
void Extract(const Tgenerator& g) {
  if (!InBounds(g.x, g.y)) return;  // only a loaded record can stand outside the field
  uint8_t& amount = grid[g.x][g.y][g.color];
  if (amount == 0) return;
  --amount;
  AddToBalance(g.color, 1);
}

// The charge is spent whatever happens; a facing beyond the extractor does nothing.
void Act(const Tgenerator& g) {
  if (g.color >= kChannels) return;  // a loaded record of no known colour does nothing
  if (g.facing < kFacingExtractor)
    Emit(g);
  else if (g.facing == kFacingExtractor)
    Extract(g);
}

}  // namespace

void UpdateWorld() {
  for (Tgenerator& g : generators) {
    // The charge is 16 bits and wraps: a loaded charge near 65535 can come
    // round below 1000 and then waits, as the saved world would.
    g.charge = static_cast<uint16_t>(g.charge + g.level);
    if (g.charge < kChargePerAction) continue;
    g.charge = static_cast<uint16_t>(g.charge - kChargePerAction);
    Act(g);
  }
}
