// Worlds for tests and benchmarks: a record from its fields, and a field with
// a generator on every cell.
#pragma once

#include <cstdint>

#include "game/world.h"

Tgenerator Record(int x, int y, int color, int facing, int level, int charge = 0);

// Resets everything (script::Reset), then puts one generator on every cell:
// random colour, facing 0..4, level 1..1000 and charge 0..999, on cells whose
// amounts are random in minAmount..255, so emitters and extractors both find work.
void FillField(uint32_t seed, int minAmount = 0);
