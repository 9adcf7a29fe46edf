// Decodes the embedded generator sprite sheet with libpng: the palette is
// expanded to 8-bit RGB, then exactly black pixels become the transparent mask.
#include "shell/sprites.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

extern const unsigned char kGeneratorPng[];
extern const std::size_t kGeneratorPngSize;

namespace {
TsheetPixel sheet[kSheetHeight][kSheetWidth];
}

bool LoadSpriteSheet() {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, kGeneratorPng, kGeneratorPngSize)) {
    std::fprintf(stderr, "gfx/generator.png: %s\n", image.message);
    return false;
  }
  if (image.width != kSheetWidth || image.height != kSheetHeight) {
    std::fprintf(stderr, "gfx/generator.png: expected %dx%d, found %ux%u\n", kSheetWidth,
                 kSheetHeight, image.width, image.height);
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    std::fprintf(stderr, "gfx/generator.png: %s\n", image.message);
    return false;
  }
  for (int y = 0; y < kSheetHeight; ++y) {
    for (int x = 0; x < kSheetWidth; ++x) {
      const unsigned char* p = &rgb[static_cast<size_t>(3 * (y * kSheetWidth + x))];
      sheet[y][x] = {p[0], p[1], p[2], p[0] != 0 || p[1] != 0 || p[2] != 0};
    }
  }
  return true;
}

TsheetPixel SheetPixel(int x, int y) {
  if (x < 0 || x >= kSheetWidth || y < 0 || y >= kSheetHeight) return {};
  return sheet[y][x];
}
