// Start-up, the 5 ms step clock, the main loop and shutdown.
#pragma once

#include <cstdint>

constexpr int64_t kTickLength = 5;  // milliseconds of wall clock per simulation step
constexpr int kScaleDivisor = 481;  // a display exactly 480k wide gets scale k - 1

// The step clock, in whole milliseconds so that no absence loses or invents steps.
extern int64_t lastTime;
extern int64_t tickAccumulator;

// True, consuming it, when one simulation step is due.
bool ShouldTick();
// Runs every step the clock says is due, each with its commands.
void RunDueSteps();
// The window magnification for a display of the given width; never 0.
uint8_t ChooseScale(int desktopWidth);

// The whole program: start-up, main loop, shutdown. Returns the exit status.
int RunGame();
