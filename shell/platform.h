// The machine under the services: a window, its events, the clock. One
// implementation talks to SDL (platform_sdl.cpp); the tests script another.
#pragma once

#include <cstdint>

#include "shell/services.h"

// Opens the window with the given client size, centred on the primary display.
// Returns false, after writing why on standard error, when no visible window
// could be had.
bool OpenGameWindow(int width, int height, const char* title);
void CloseGameWindow();

// Feeds every pending window-system event into the input state (Feed*).
void PumpPlatform();

// Shows the canvas, scaled to the whole client area without filtering.
void PresentCanvas(const Tpixel* pixels, bool vsync);

int64_t PlatformMillis();
int DesktopWidth();
void SetSystemPointerVisible(bool visible);

// False while the window is minimised or hidden, when frames would not be seen.
bool WindowVisible();
// Sleeps until an event arrives or the timeout passes.
void WaitForPlatformEvent(int timeoutMillis);

// Makes the executable's directory the working directory.
void ChangeToExecutableDir();
