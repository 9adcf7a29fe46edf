// Golden-image checks: a canvas against a reference PNG in tests/golden/,
// pixel for pixel.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/services.h"

// Writes and reads 8-bit RGB PNGs of 0xAARRGGBB pixels.
bool WritePng(const std::string& path, const Tpixel* pixels, int width, int height);
bool ReadPng(const std::string& path, std::vector<Tpixel>& pixels, int& width, int& height);

// Compares the pixels with tests/golden/<name>.png. On a mismatch the actual
// image and a difference image (mismatching pixels in magenta) are written to
// test-output/ and named in the failure. With PIGMENT_RECORD_GOLDEN=1 in the
// environment the reference is written instead: re-recording is deliberate.
::testing::AssertionResult MatchesGolden(const std::string& name, const Tpixel* pixels,
                                         int width = kCanvasWidth, int height = kCanvasHeight);
