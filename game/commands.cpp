// HandleInput: turns the polled keyboard and mouse into changes of the world,
// once before every simulation step.
#include "game/world.h"
#include "shell/services.h"

void HandleInput() {
  // Quit: Escape, or else a close request on the window. The rest of the
  // main-loop pass still runs.
  if (KeyHits(kKeyEscape) > 0 || TakeCloseRequest()) quitRequested = 1;
}
