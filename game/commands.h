// The keyboard and mouse bindings of the command handler, in the order it reads
// them; anything that must know which inputs can change the world reads them here.
#pragma once

#include <cstdint>

#include "game/world.h"
#include "shell/services.h"

constexpr int kNoKey = -1;

// Two keys for one choice: the first is asked first, the second only when the
// first had no hit, so a hit of the second key can stay counted for the next call.
struct TkeyPair {
  int first;
  int second;
  uint8_t value;
};

// Read in this order; several hits in one call leave the last choice.
constexpr TkeyPair kFacingKeys[] = {
    {kKeyUp, 'W', kFacingUp},     {kKeyRight, 'D', kFacingRight},  {kKeyDown, 'S', kFacingDown},
    {kKeyLeft, 'A', kFacingLeft}, {'E', kNoKey, kFacingExtractor},
};
constexpr TkeyPair kColorKeys[] = {{'R', 'Z', 0}, {'G', 'X', 1}, {'B', 'C', 2}};

constexpr int kKeyHelp = kKeyEnter;
constexpr int kKeySell = kKeySpace;
constexpr int kKeyQuit = kKeyEscape;
// Only the left Shift key repeats upgrades; the right one is a different code.
constexpr int kKeyRepeatUpgrade = kKeyLeftShift;
constexpr int kButtonBuy = kButtonLeft;       // buy on a free cell, else upgrade
constexpr int kButtonHarvest = kButtonRight;  // read as held, every step
