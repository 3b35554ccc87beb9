// Images in 8-bit gray, and KVN glyphs drawn into them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kvn_reader.h"

namespace kelvane {

inline constexpr std::uint8_t kInk = 0;      // a set pixel of a glyph
inline constexpr std::uint8_t kPaper = 255;  // the background

// Rows of pixels, top row first; 0 is black and 255 white.
struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  GrayImage(int w, int h, std::uint8_t shade)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, shade) {}

  // Paints the part of the rectangle that lies inside the image.
  void Fill(int x, int y, int w, int h, std::uint8_t shade);
};

// Why an image of this size is not made: how large it would be and the
// limits (of memory and of PNG readers); nothing when it can be made.
std::optional<std::string> ImageSizeProblem(std::int64_t width, std::int64_t height);

// Whether the glyph's pixel at column x, row y is set; bits beyond the cell are ignored.
bool InkAt(const kvn_font& font, const kvn_glyph& glyph, int x, int y);

// Draws the glyph's cell with its top left corner at (x, y), each font pixel
// as a scale x scale square of ink. Unset pixels leave the image as it was,
// so a glyph that reaches into its neighbour's cell adds to it; whatever
// falls outside the image is cut off.
void DrawGlyph(GrayImage& image, const kvn_font& font, const kvn_glyph& glyph, int x, int y,
               int scale);

}  // namespace kelvane
