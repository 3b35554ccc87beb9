// Where everything on a glyph sheet goes, in pixels: a column of row labels,
// then a grid of 16 cells a row between one-pixel lines, in the shades the
// sheet is drawn in. `kvn sheet` draws its image with it; the preview window
// paints its sheet and finds the glyph under the pointer with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kvn_reader.h"

namespace kelvane {

// A glyph's place on the sheet, and the code that finds it (none: no code does).
struct SheetEntry {
  std::uint16_t index;
  std::optional<std::uint16_t> code;
};

inline constexpr std::uint8_t kSheetGridShade = 160;       // the lines between cells
inline constexpr std::uint8_t kSheetEmptyCellShade = 224;  // cells after a row's last glyph
inline constexpr std::uint8_t kSheetLabelShade = 0;        // the row labels
// A glyph's cell is paper with ink (gray_image.h): white and black.

// A rectangle of the sheet.
struct SheetBox {
  std::int64_t x = 0, y = 0;
  int width = 0, height = 0;
};

// The label of a row that starts with `first`: its code ("0x8140"), or "----"
// for the glyphs no code finds.
std::string RowLabel(const SheetEntry& first);

class SheetLayout {
 public:
  static constexpr int kColumns = 16;

  // The size of the widest row label as drawn, in pixels.
  struct LabelSize {
    int width = 0, height = 0;
  };
  // Labels in the built-in digit font (digit_font.h) at `scale`.
  static LabelSize DigitLabels(int scale);

  SheetLayout() = default;  // an empty sheet
  // The sheet of `entries` (in sheet order: those with a code first) of a
  // font with this cell, each font pixel a scale x scale square. The glyphs
  // no code finds start a row of their own. A label has `scale` pixels above
  // and below it and 2 x `scale` left and right.
  SheetLayout(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale,
              LabelSize label);

  std::int64_t rows() const { return rows_; }
  std::int64_t width() const { return gridLeft_ + std::int64_t{kColumns} * (cellWidth_ + 1) + 1; }
  std::int64_t height() const { return rows_ * (rowHeight_ + 1) + 1; }

  // The row's band of the grid, its lines above and below included; painted
  // in kSheetGridShade before its cells.
  SheetBox RowBand(std::int64_t row) const;
  // The cell at row and column, inside the grid lines.
  SheetBox Cell(std::int64_t row, int column) const;
  // Where the row's label goes: drawn right-aligned in it.
  SheetBox Label(std::int64_t row) const;
  // The row a pixel row lies in, or would lie in past either end.
  std::int64_t RowAt(std::int64_t y) const;

  // The entry shown in a cell, or none (an empty cell, or outside the grid).
  std::optional<std::size_t> EntryAt(std::int64_t row, int column) const;
  // The entry whose cell holds the pixel (x, y); none for a grid line, a
  // label, an empty cell or a point outside the grid.
  std::optional<std::size_t> EntryAtPixel(std::int64_t x, std::int64_t y) const;

 private:
  std::size_t size_ = 0;
  std::size_t reachable_ = 0;             // entries with a code, which come first
  std::int64_t firstUnreachableRow_ = 0;  // where the others start
  std::int64_t rows_ = 0;
  int scale_ = 1;
  LabelSize label_{};
  int gridLeft_ = 0;   // the label column's width: the first grid line's x
  int cellWidth_ = 0;  // inside the grid lines
  int rowHeight_ = 0;  // the cell, or the label if that is taller
};

}  // namespace kelvane
