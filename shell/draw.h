// Everything the game draws on the canvas: the playfield, the status bar, the
// frame-rate counter and the help screen.
#pragma once

#include <cstdint>

// One complete frame of play.
void DrawWorld();
// The bottom strip of the frame; leaves white as the drawing colour.
void DrawStatusBar();

// The frame-rate counter: the frames drawn in the last whole second.
struct FPS {
  static int32_t framesCounted;
  static int64_t nextUpdate;
  static int32_t rateShown;
  static int32_t Calc();
  static void DrawFPS();
};

// The modal list of controls; returns when the player leaves it.
void ShowHelp();
