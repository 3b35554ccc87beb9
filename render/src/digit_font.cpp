#include "render/digit_font.h"

#include <array>

namespace kelvane {
namespace {

// One character: 5 rows, top first; in each row bit 2 is the left pixel.
struct DigitGlyph {
  char character;
  std::array<std::uint8_t, kDigitHeight> rows;
};

// clang-format off
constexpr DigitGlyph kDigits[] = {
    {'0', {0b111,    // ###
           0b101,    // #.#
           0b101,    // #.#
           0b101,    // #.#
           0b111}},  // ###
    {'1', {0b010,    // .#.
           0b110,    // ##.
           0b010,    // .#.
           0b010,    // .#.
           0b111}},  // ###
    {'2', {0b111,    // ###
           0b001,    // ..#
           0b111,    // ###
           0b100,    // #..
           0b111}},  // ###
    {'3', {0b111,    // ###
           0b001,    // ..#
           0b011,    // .##
           0b001,    // ..#
           0b111}},  // ###
    {'4', {0b101,    // #.#
           0b101,    // #.#
           0b111,    // ###
           0b001,    // ..#
           0b001}},  // ..#
    {'5', {0b111,    // ###
           0b100,    // #..
           0b111,    // ###
           0b001,    // ..#
           0b111}},  // ###
    {'6', {0b111,    // ###
           0b100,    // #..
           0b111,    // ###
           0b101,    // #.#
           0b111}},  // ###
    {'7', {0b111,    // ###
           0b001,    // ..#
           0b001,    // ..#
           0b010,    // .#.
           0b010}},  // .#.
    {'8', {0b111,    // ###
           0b101,    // #.#
           0b111,    // ###
           0b101,    // #.#
           0b111}},  // ###
    {'9', {0b111,    // ###
           0b101,    // #.#
           0b111,    // ###
           0b001,    // ..#
           0b111}},  // ###
    {'A', {0b010,    // .#.
           0b101,    // #.#
           0b111,    // ###
           0b101,    // #.#
           0b101}},  // #.#
    {'B', {0b110,    // ##.
           0b101,    // #.#
           0b110,    // ##.
           0b101,    // #.#
           0b110}},  // ##.
    {'C', {0b011,    // .##
           0b100,    // #..
           0b100,    // #..
           0b100,    // #..
           0b011}},  // .##
    {'D', {0b110,    // ##.
           0b101,    // #.#
           0b101,    // #.#
           0b101,    // #.#
           0b110}},  // ##.
    {'E', {0b111,    // ###
           0b100,    // #..
           0b110,    // ##.
           0b100,    // #..
           0b111}},  // ###
    {'F', {0b111,    // ###
           0b100,    // #..
           0b110,    // ##.
           0b100,    // #..
           0b100}},  // #..
    {'x', {0b000,    // ...
           0b000,    // ...
           0b101,    // #.#
           0b010,    // .#.
           0b101}},  // #.#
    {'-', {0b000,    // ...
           0b000,    // ...
           0b111,    // ###
           0b000,    // ...
           0b000}},  // ...
};
// clang-format on

const DigitGlyph* Find(char c) {
  for (const DigitGlyph& glyph : kDigits) {
    if (glyph.character == c) return &glyph;
  }
  return nullptr;
}

}  // namespace

int LabelWidth(std::string_view text, int scale) {
  return text.empty() ? 0 : (static_cast<int>(text.size()) * kDigitAdvance - 1) * scale;
}

void DrawLabel(GrayImage& image, int x, int y, std::string_view text, int scale,
               std::uint8_t shade) {
  for (const char c : text) {
    if (const DigitGlyph* glyph = Find(c)) {
      for (int row = 0; row < kDigitHeight; ++row) {
        for (int column = 0; column < kDigitWidth; ++column) {
          if ((glyph->rows[row] >> (kDigitWidth - 1 - column) & 1) != 0) {
            image.Fill(x + column * scale, y + row * scale, scale, scale, shade);
          }
        }
      }
    }
    x += kDigitAdvance * scale;
  }
}

}  // namespace kelvane
