#include "render/rgb_image.h"

namespace kelvane {

RgbImage::RgbImage(const GrayImage& gray)
    : width(gray.width), height(gray.height), pixels(gray.pixels.size() * 3) {
  for (std::size_t i = 0; i < gray.pixels.size(); ++i) {
    pixels[3 * i] = pixels[3 * i + 1] = pixels[3 * i + 2] = gray.pixels[i];
  }
}

void RgbImage::Set(int x, int y, Rgb colour) {
  const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
  pixels[at] = colour.red;
  pixels[at + 1] = colour.green;
  pixels[at + 2] = colour.blue;
}

}  // namespace kelvane
