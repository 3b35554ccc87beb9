// Every glyph of a font on one image: a grid of 16 cells a row, each row
// labelled with the code of its first glyph, laid out by sheet_layout.h.
#pragma once

#include <cstdint>
#include <vector>

#include "kvn_reader.h"
#include "render/gray_image.h"
#include "render/sheet_layout.h"

namespace kelvane {

// The glyphs in the order of their codes through the ranges (ascending in a
// sorted file), each once under the first code that finds it; then the
// glyphs no code finds, such as a default glyph without a code of its own.
std::vector<SheetEntry> SheetOrder(const kvn_font& font);

// The layout of the sheet image at `scale`, labels in the built-in digit font.
SheetLayout SheetImageLayout(const kvn_font& font, const std::vector<SheetEntry>& entries,
                             int scale);

// The pixel size of the sheet image for these entries.
struct SheetSize {
  std::int64_t width, height;
};
SheetSize SheetSizeFor(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale);

// Draws the sheet: glyphs in black on white at `scale`, grey grid lines
// between cells, light grey cells where a row has no more glyphs, each row
// labelled by RowLabel. The caller checks the size.
GrayImage DrawSheet(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale);

}  // namespace kelvane
