// The help screen. (To be built.)
#include "shell/draw.h"

void ShowHelp() {}
