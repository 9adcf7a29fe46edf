// Golden-image checks and the small PNG reader and writer they use.
#include "tests/support/golden.h"

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

std::string GoldenPath(const std::string& name) {
  return std::string(PIGMENT_SOURCE_DIR) + "/tests/golden/" + name + ".png";
}

std::filesystem::path OutputDir() {
  std::filesystem::path dir = std::filesystem::absolute("test-output");
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace

bool WritePng(const std::string& path, const Tpixel* pixels, int width, int height) {
  std::vector<unsigned char> rgb(static_cast<size_t>(3 * width * height));
  for (size_t i = 0; i < static_cast<size_t>(width * height); ++i) {
    rgb[3 * i] = static_cast<unsigned char>(pixels[i] >> 16);
    rgb[3 * i + 1] = static_cast<unsigned char>(pixels[i] >> 8);
    rgb[3 * i + 2] = static_cast<unsigned char>(pixels[i]);
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

bool ReadPng(const std::string& path, std::vector<Tpixel>& pixels, int& width, int& height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  pixels.resize(static_cast<size_t>(width * height));
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = PackPixel(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  return true;
}

::testing::AssertionResult MatchesGolden(const std::string& name, const Tpixel* pixels, int width,
                                         int height) {
  const std::string golden = GoldenPath(name);
  const char* record = std::getenv("PIGMENT_RECORD_GOLDEN");
  if (record != nullptr && std::strcmp(record, "1") == 0) {
    if (!WritePng(golden, pixels, width, height))
      return ::testing::AssertionFailure() << "cannot write " << golden;
    return ::testing::AssertionSuccess() << "recorded " << golden;
  }
  std::vector<Tpixel> expected;
  int goldenWidth = 0, goldenHeight = 0;
  const std::string actualPath = (OutputDir() / (name + ".actual.png")).string();
  if (!ReadPng(golden, expected, goldenWidth, goldenHeight)) {
    WritePng(actualPath, pixels, width, height);
    return ::testing::AssertionFailure() << "no reference image " << golden << "; the actual image is "
                                         << actualPath << " (record with PIGMENT_RECORD_GOLDEN=1)";
  }
  if (goldenWidth != width || goldenHeight != height)
    return ::testing::AssertionFailure() << golden << " is " << goldenWidth << "x" << goldenHeight
                                         << ", the image is " << width << "x" << height;
  std::vector<Tpixel> diff(expected.size());
  int mismatches = 0, firstX = -1, firstY = -1;
  for (size_t i = 0; i < expected.size(); ++i) {
    const bool same = (expected[i] & 0xFFFFFFu) == (pixels[i] & 0xFFFFFFu);
    diff[i] = same ? PackPixel(0, 0, 0) : PackPixel(255, 0, 255);
    if (!same && mismatches++ == 0) {
      firstX = static_cast<int>(i % static_cast<size_t>(width));
      firstY = static_cast<int>(i / static_cast<size_t>(width));
    }
  }
  if (mismatches == 0) return ::testing::AssertionSuccess();
  const std::string diffPath = (OutputDir() / (name + ".diff.png")).string();
  WritePng(actualPath, pixels, width, height);
  WritePng(diffPath, diff.data(), width, height);
  return ::testing::AssertionFailure() << mismatches << " pixels differ from " << golden << ", first at ("
                                       << firstX << ", " << firstY << "); actual image " << actualPath
                                       << ", difference " << diffPath;
}
