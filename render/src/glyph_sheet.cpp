#include "render/glyph_sheet.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "render/digit_font.h"
#include "render/font_file.h"

namespace kelvane {
namespace {

constexpr int kColumns = 16;
constexpr std::uint8_t kGridShade = 160;
constexpr std::uint8_t kEmptyCellShade = 224;
constexpr std::uint8_t kLabelShade = 0;
constexpr std::string_view kWidestLabel = "0x0000";

// Where everything goes, in pixels.
struct Layout {
  int scale;
  int labelWidth;  // the label column, left of the grid
  int cellWidth;   // inside the grid lines
  int rowHeight;   // the cell, or the label if that is taller
  std::int64_t rows;
  std::int64_t width, height;
};

// The rows: reachable glyphs 16 a row, then the unreachable ones from a new row.
struct Rows {
  std::size_t reachable;  // entries with a code, which come first
  std::int64_t count;
};

Rows RowsOf(const std::vector<SheetEntry>& entries) {
  const auto reachable = static_cast<std::size_t>(
      std::find_if(entries.begin(), entries.end(), [](const SheetEntry& e) { return !e.code; }) -
      entries.begin());
  const auto rowsFor = [](std::size_t n) { return static_cast<std::int64_t>((n + 15) / 16); };
  return {reachable,
          std::max<std::int64_t>(1, rowsFor(reachable) + rowsFor(entries.size() - reachable))};
}

Layout LayoutOf(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale) {
  Layout layout{};
  layout.scale = scale;
  layout.labelWidth = LabelWidth(kWidestLabel, scale) + 4 * scale;  // 2 pixels each side
  layout.cellWidth = font.cell_width * scale;
  layout.rowHeight = std::max<int>(font.cell_height, kDigitHeight + 2) * scale;
  layout.rows = RowsOf(entries).count;
  layout.width = layout.labelWidth + std::int64_t{kColumns} * (layout.cellWidth + 1) + 1;
  layout.height = layout.rows * (layout.rowHeight + 1) + 1;
  return layout;
}

std::string LabelFor(const SheetEntry& first) {
  if (!first.code) return "----";
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(*first.code));
  return text;
}

}  // namespace

std::vector<SheetEntry> SheetOrder(const kvn_font& font) {
  std::vector<bool> placed(font.glyph_count, false);
  std::vector<SheetEntry> entries;
  entries.reserve(font.glyph_count);
  for (const CodedGlyph& coded : CodesThroughRanges(font)) {
    if (placed[coded.index]) continue;
    placed[coded.index] = true;
    entries.push_back({coded.index, coded.code});
  }
  for (std::uint32_t index = 0; index < font.glyph_count; ++index) {
    if (!placed[index]) entries.push_back({static_cast<std::uint16_t>(index), std::nullopt});
  }
  return entries;
}

SheetSize SheetSizeFor(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale) {
  const Layout layout = LayoutOf(font, entries, scale);
  return {layout.width, layout.height};
}

GrayImage DrawSheet(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale) {
  const Layout layout = LayoutOf(font, entries, scale);
  const Rows rows = RowsOf(entries);
  GrayImage image(static_cast<int>(layout.width), static_cast<int>(layout.height), kPaper);
  const int gridLeft = layout.labelWidth;
  const int step = layout.cellWidth + 1, rowStep = layout.rowHeight + 1;
  // Every cell starts empty; each glyph then clears its own.
  image.Fill(gridLeft, 0, image.width - gridLeft, image.height, kEmptyCellShade);
  for (int column = 0; column <= kColumns; ++column) {
    image.Fill(gridLeft + column * step, 0, 1, image.height, kGridShade);
  }
  for (std::int64_t row = 0; row <= layout.rows; ++row) {
    image.Fill(gridLeft, static_cast<int>(row * rowStep), image.width - gridLeft, 1, kGridShade);
  }
  // The glyphs no code finds start a row of their own.
  const std::int64_t firstUnreachableRow = static_cast<std::int64_t>((rows.reachable + 15) / 16);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const bool reachable = i < rows.reachable;
    const std::size_t place = reachable ? i : i - rows.reachable;
    const std::int64_t row =
        static_cast<std::int64_t>(place / kColumns) + (reachable ? 0 : firstUnreachableRow);
    const int x = gridLeft + 1 + static_cast<int>(place % kColumns) * step;
    const int y = static_cast<int>(row * rowStep) + 1;
    image.Fill(x, y, layout.cellWidth, layout.rowHeight, kPaper);
    DrawGlyph(image, font, kvn_glyph_at(&font, entries[i].index), x, y, scale);
    if (place % kColumns == 0) {
      const std::string label = LabelFor(entries[i]);
      DrawLabel(image, gridLeft - 2 * scale - LabelWidth(label, scale),
                y + (layout.rowHeight - kDigitHeight * scale) / 2, label, scale, kLabelShade);
    }
  }
  return image;
}

}  // namespace kelvane
