#include "render/diff_image.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "render/digit_font.h"
#include "render/gray_image.h"
#include "render/sheet_layout.h"

namespace kelvane {
namespace {

// A row of the picture: the code (none: the default glyph) and the glyphs.
struct DiffRow {
  std::optional<std::uint16_t> code;
  std::uint16_t before, after;
};

std::vector<DiffRow> RowsOf(const kvn_font& before, const kvn_font& after, const FontDiff& diff) {
  std::vector<DiffRow> rows;
  for (const CodeDifference& d : diff.codes) {
    if (d.glyph.any()) rows.push_back({d.code, d.before, d.after});
  }
  if (diff.DefaultGlyphChanged()) {
    rows.push_back({std::nullopt, before.default_index, after.default_index});
  }
  return rows;
}

// Where things go: a column of labels, then three cells a row between
// one-pixel lines, as on a glyph sheet at scale 1.
struct DiffLayout {
  static constexpr int kCells = 3;
  SheetLayout::LabelSize label = SheetLayout::DigitLabels(1);
  int gridLeft = label.width + 4;
  int cellWidth, cellHeight, rowHeight;
  std::int64_t rows;

  DiffLayout(const kvn_font& before, const kvn_font& after, std::size_t rowCount)
      : cellWidth(std::max(before.cell_width, after.cell_width)),
        cellHeight(std::max(before.cell_height, after.cell_height)),
        rowHeight(std::max(cellHeight, label.height + 2)),
        rows(static_cast<std::int64_t>(rowCount)) {}

  std::int64_t width() const { return gridLeft + std::int64_t{kCells} * (cellWidth + 1) + 1; }
  std::int64_t height() const { return rows * (rowHeight + 1) + 1; }
  int top(std::int64_t row) const { return static_cast<int>(row * (rowHeight + 1)); }
  int cellLeft(int cell) const { return gridLeft + 1 + cell * (cellWidth + 1); }
};

bool InkIn(const kvn_font& font, std::uint16_t index, int x, int y) {
  return x < font.cell_width && y < font.cell_height &&
         InkAt(font, kvn_glyph_at(&font, index), x, y);
}

}  // namespace

DiffImageSize DiffImageSizeFor(const kvn_font& before, const kvn_font& after,
                               const FontDiff& diff) {
  const DiffLayout layout(before, after, RowsOf(before, after, diff).size());
  return {layout.width(), layout.height()};
}

RgbImage DrawDiffImage(const kvn_font& before, const kvn_font& after, const FontDiff& diff) {
  const std::vector<DiffRow> rows = RowsOf(before, after, diff);
  const DiffLayout layout(before, after, rows.size());
  GrayImage gray(static_cast<int>(layout.width()), static_cast<int>(layout.height()), kPaper);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int top = layout.top(static_cast<std::int64_t>(r));
    gray.Fill(layout.gridLeft, top, gray.width - layout.gridLeft, layout.rowHeight + 2,
              kSheetGridShade);
    for (int cell = 0; cell < DiffLayout::kCells; ++cell) {
      gray.Fill(layout.cellLeft(cell), top + 1, layout.cellWidth, layout.rowHeight, kPaper);
    }
    DrawGlyph(gray, before, kvn_glyph_at(&before, rows[r].before), layout.cellLeft(0), top + 1, 1);
    DrawGlyph(gray, after, kvn_glyph_at(&after, rows[r].after), layout.cellLeft(1), top + 1, 1);
    const std::string label = RowLabel({rows[r].before, rows[r].code});
    DrawLabel(gray, layout.gridLeft - 2 - LabelWidth(label, 1),
              top + 1 + (layout.rowHeight - layout.label.height) / 2, label, 1, kSheetLabelShade);
  }
  RgbImage image(gray);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int top = layout.top(static_cast<std::int64_t>(r)) + 1, left = layout.cellLeft(2);
    for (int y = 0; y < layout.cellHeight; ++y) {
      for (int x = 0; x < layout.cellWidth; ++x) {
        const bool old = InkIn(before, rows[r].before, x, y);
        const bool now = InkIn(after, rows[r].after, x, y);
        if (old || now) {
          image.Set(left + x, top + y,
                    old && now ? Rgb{kInk, kInk, kInk}
                    : old      ? kInkBeforeOnly
                               : kInkAfterOnly);
        }
      }
    }
  }
  return image;
}

}  // namespace kelvane
