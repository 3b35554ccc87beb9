// Every glyph of a font on one image: a grid of 16 cells a row, each row
// labelled with the code of its first glyph.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "kvn_reader.h"
#include "render/gray_image.h"

namespace kelvane {

// A glyph's place on the sheet, and the code that finds it (none: no code does).
struct SheetEntry {
  std::uint16_t index;
  std::optional<std::uint16_t> code;
};

// The glyphs in the order of their codes through the ranges (ascending in a
// sorted file), each once under the first code that finds it; then the
// glyphs no code finds, such as a default glyph without a code of its own.
std::vector<SheetEntry> SheetOrder(const kvn_font& font);

// The pixel size of the sheet for these entries.
struct SheetSize {
  std::int64_t width, height;
};
SheetSize SheetSizeFor(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale);

// Draws the sheet: glyphs in black on white at `scale`, one-pixel grey grid
// lines between cells, light grey cells where a row has no more glyphs. A row
// is labelled "0x8140" by its first glyph's code; the glyphs no code finds
// start a row of their own, labelled "----". The caller checks the size.
GrayImage DrawSheet(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale);

}  // namespace kelvane
