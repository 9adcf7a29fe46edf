// The prices, the refund and the balance arithmetic, used by the commands and
// shown by the status bar.
#pragma once

#include <cstdint>

// The price of the next generator of colour c (a channel 0..2): genCount[c] * 5 + 5.
int32_t GeneratorPrice(int color);
// The price of one upgrade from `level`: level * 10.
int32_t UpgradePrice(uint16_t level);
// Everything paid for the upgrades of a generator of `level`: the sum of
// i * 10 - 10 for i = 1..level, which is 5 * level * (level - 1).
int64_t UpgradesPaid(uint16_t level);
// money[c] += amount for a channel 0..2, saturating at the 32-bit bounds: a long game's fortune
// must never wrap negative.
void AddToBalance(int color, int64_t amount);
