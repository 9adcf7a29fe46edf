// The program's entry: the whole game runs inside RunGame.
#include "shell/game.h"

int main() { return RunGame(); }
