// The status bar along the bottom 30 rows of the canvas.
#include "shell/draw.h"
#include "shell/services.h"

void DrawStatusBar() { SetDrawColor(255, 255, 255); }
