// The one world of the game, held in plain globals for the whole run: the
// field of colour cells, the generators on it, the balances and selections.
// Every field of the world is listed here; nothing else holds game state.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kFieldWidth = 60;
constexpr int kFieldHeight = 30;
constexpr int kChannels = 3;  // 0 red, 1 green, 2 blue
constexpr int kCellSize = 8;  // virtual pixels per cell side

constexpr uint8_t kChannelCeiling = 255;  // pushes stop at this amount
constexpr uint16_t kChargePerAction = 1000;
constexpr uint16_t kLevelCeiling = 1000;
constexpr int kSeedWrites = 100;

enum Tfacing : uint8_t { kFacingUp = 0, kFacingRight, kFacingDown, kFacingLeft, kFacingExtractor };

// The cell an emitter feeds, relative to its own, by facing: up, right, down, left.
constexpr int kFeedDx[] = {0, 1, 0, -1};
constexpr int kFeedDy[] = {-1, 0, 1, 0};

struct Tgenerator {
  uint8_t x = 0;
  uint8_t y = 0;
  uint8_t color = 0;
  uint16_t level = 1;
  uint16_t charge = 0;
  uint8_t facing = 0;
};

// ---- The world ----------------------------------------------------------------

extern uint8_t grid[kFieldWidth][kFieldHeight][kChannels];
extern std::vector<Tgenerator> generators;  // purchase order, which is acting order
extern int32_t money[kChannels];
extern uint16_t genCount[kChannels];
extern uint8_t selFacing;
extern uint8_t selColor;

// Set by the command handler when the player asks to quit; the main loop ends.
extern uint8_t quitRequested;

// Puts every field above back to its start-up value.
void ResetWorld();

// ---- Queries and rules ----------------------------------------------------------

bool InBounds(int x, int y);
bool GeneratorAt(int x, int y);
// A new world: 100 random writes of 0 or 1 into the zero-filled grid.
void SeedNewWorld();

// ---- Steps (commands.cpp, step.cpp) ---------------------------------------------

void HandleInput();
// Whether HandleInput would now find any input to act on; consumes nothing.
bool CommandsPending();
void UpdateWorld();

// ---- The save file "save" in the working directory (save.cpp) -------------------

enum TloadResult { kSaveLoaded, kNoSave, kSaveTruncated };
// Reads the world from "save". kNoSave leaves the world as created;
// kSaveTruncated means the file ended early and the game must stop.
TloadResult LoadGame();
// Writes the world to "save". Returns false, after telling the player on
// standard error, when it could not be written; the old save is then intact.
bool SaveGame();
