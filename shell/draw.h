// Everything the game draws on the canvas: the playfield, the status bar, the
// frame-rate counter and the help screen.
#pragma once

#include <cstdint>

// Every frame is presented with vertical synchronisation.
constexpr uint8_t syncMode = 1;

// One complete frame of play.
void DrawWorld();
// The bottom strip of the frame; leaves white as the drawing colour.
void DrawStatusBar();

// The frame-rate counter: the frames drawn in the last whole second.
struct FPS {
  static int32_t framesCounted;
  static int64_t nextUpdate;  // clock milliseconds
  static int32_t rateShown;
  // Counts one frame and returns the rate to show; call once per frame.
  static int32_t Calc();
  // The rate in white at the left of the bottom line.
  static void DrawFPS();
};
// Puts the counter back to its start-up values, as at the start of a run.
void ResetFPS();

// The modal list of controls; returns when the player leaves it.
void ShowHelp();
