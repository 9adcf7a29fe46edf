// The built-in 8x16 font: glyphs for the character codes 32..127.
#pragma once

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 16;
constexpr int kFirstGlyphCode = 32;
constexpr int kLastGlyphCode = 127;

// Whether the glyph of character code `code` (32..127) has ink at column
// 0..7, row 0..15 of its cell. False for anything outside those ranges.
bool GlyphInk(int code, int column, int row);
