// A copy of the whole world, to put it back or to compare two runs of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/world.h"

struct Tsnapshot {
  uint8_t cells[kFieldWidth][kFieldHeight][kChannels];
  std::vector<Tgenerator> records;
  int32_t balances[kChannels];
  uint16_t counts[kChannels];
};

Tsnapshot Capture();
void Restore(const Tsnapshot& s);
// The first difference between two worlds in words, or "" when they are equal.
std::string FirstDifference(const Tsnapshot& want, const Tsnapshot& got);
