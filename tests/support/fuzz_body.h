// One fuzz input played through the game: arbitrary bytes loaded as the save
// file, then steps with commands and one frame drawn on whatever was loaded.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes the bytes as "save" in the working directory (a scratch directory)
// and loads them. When they load, saves again and then plays a few hundred
// steps with clicks, keys and harvests on the generators' cells, and draws a
// frame. Returns false when saving did not give back the loaded bytes, the
// one fault that needs no sanitizer to be seen.
bool RunFuzzInput(const uint8_t* data, size_t size);
