// Images in 8-bit red, green and blue, for pictures that need colour.
#pragma once

#include <cstdint>
#include <vector>

#include "render/gray_image.h"

namespace kelvane {

struct Rgb {
  std::uint8_t red, green, blue;
};

// Rows of pixels, top row first, each pixel its red, green and blue.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  // The gray picture in colour.
  explicit RgbImage(const GrayImage& gray);

  // Paints the pixel at (x, y), which must lie inside the image.
  void Set(int x, int y, Rgb colour);
};

}  // namespace kelvane
