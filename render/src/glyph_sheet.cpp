#include "render/glyph_sheet.h"

#include <string>

#include "render/digit_font.h"
#include "render/font_file.h"

namespace kelvane {

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

SheetLayout SheetImageLayout(const kvn_font& font, const std::vector<SheetEntry>& entries,
                             int scale) {
  return SheetLayout(font, entries, scale, SheetLayout::DigitLabels(scale));
}

SheetSize SheetSizeFor(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale) {
  const SheetLayout layout = SheetImageLayout(font, entries, scale);
  return {layout.width(), layout.height()};
}

GrayImage DrawSheet(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale) {
  const SheetLayout layout = SheetImageLayout(font, entries, scale);
  GrayImage image(static_cast<int>(layout.width()), static_cast<int>(layout.height()), kPaper);
  const auto fill = [&image](const SheetBox& box, std::uint8_t shade) {
    image.Fill(static_cast<int>(box.x), static_cast<int>(box.y), box.width, box.height, shade);
  };
  for (std::int64_t row = 0; row < layout.rows(); ++row) {
    fill(layout.RowBand(row), kSheetGridShade);
    for (int column = 0; column < SheetLayout::kColumns; ++column) {
      const SheetBox cell = layout.Cell(row, column);
      const auto entry = layout.EntryAt(row, column);
      if (!entry) {
        fill(cell, kSheetEmptyCellShade);
        continue;
      }
      fill(cell, kPaper);
      DrawGlyph(image, font, kvn_glyph_at(&font, entries[*entry].index), static_cast<int>(cell.x),
                static_cast<int>(cell.y), scale);
      if (column == 0) {
        const std::string label = RowLabel(entries[*entry]);
        const SheetBox box = layout.Label(row);
        DrawLabel(image, static_cast<int>(box.x) + box.width - LabelWidth(label, scale),
                  static_cast<int>(box.y), label, scale, kSheetLabelShade);
      }
    }
  }
  return image;
}

}  // namespace kelvane
