#include "render/gray_image.h"

#include <algorithm>

namespace kelvane {
namespace {

// PNG readers commonly refuse a side above a million pixels; the pixel limit
// keeps an image within a quarter of a gigabyte.
constexpr std::int64_t kMaxSide = 1'000'000;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

}  // namespace

void GrayImage::Fill(int x, int y, int w, int h, std::uint8_t shade) {
  const int left = std::max(x, 0), right = std::min(x + w, width);
  const int top = std::max(y, 0), bottom = std::min(y + h, height);
  for (int row = top; row < bottom; ++row) {
    const auto start = pixels.begin() + static_cast<std::ptrdiff_t>(row) * width;
    std::fill(start + left, start + std::max(left, right), shade);
  }
}

std::optional<std::string> ImageSizeProblem(std::int64_t width, std::int64_t height) {
  if (width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels) return std::nullopt;
  return "the image would be " + std::to_string(width) + "x" + std::to_string(height) +
         " pixels, more than can be written (at most " + std::to_string(kMaxSide) + " a side and " +
         std::to_string(kMaxPixels) + " in all)";
}

bool InkAt(const kvn_font& font, const kvn_glyph& glyph, int x, int y) {
  const int bytesPerRow = (font.cell_width + 7) / 8;
  return (glyph.bitmap[y * bytesPerRow + x / 8] & (0x80 >> (x % 8))) != 0;
}

void DrawGlyph(GrayImage& image, const kvn_font& font, const kvn_glyph& glyph, int x, int y,
               int scale) {
  for (int row = 0; row < font.cell_height; ++row) {
    for (int column = 0; column < font.cell_width; ++column) {
      if (InkAt(font, glyph, column, row)) {
        image.Fill(x + column * scale, y + row * scale, scale, scale, kInk);
      }
    }
  }
}

}  // namespace kelvane
