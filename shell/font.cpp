// The built-in 8x16 font. (Glyph art still to be drawn.)
#include "shell/font.h"

bool GlyphInk(int, int, int) { return false; }
