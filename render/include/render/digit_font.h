// A tiny built-in font for the labels of a glyph sheet: hexadecimal digits,
// 'x' and '-', each 3 pixels wide and 5 high.
#pragma once

#include <cstdint>
#include <string_view>

#include "render/gray_image.h"

namespace kelvane {

inline constexpr int kDigitWidth = 3;
inline constexpr int kDigitHeight = 5;
inline constexpr int kDigitAdvance = kDigitWidth + 1;

// The width of `text` drawn at this scale, without a gap after the last character.
int LabelWidth(std::string_view text, int scale);

// Draws `text` with its top left corner at (x, y), each pixel a scale x scale
// square of `shade`. Characters the font lacks leave a blank.
void DrawLabel(GrayImage& image, int x, int y, std::string_view text, int scale,
               std::uint8_t shade);

}  // namespace kelvane
