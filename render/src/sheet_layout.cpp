#include "render/sheet_layout.h"

#include <algorithm>

#include "render/digit_font.h"
#include "render/font_file.h"

namespace kelvane {

std::string RowLabel(const SheetEntry& first) {
  return first.code ? CodeText(*first.code) : "----";
}

SheetLayout::LabelSize SheetLayout::DigitLabels(int scale) {
  return {LabelWidth("0x0000", scale), kDigitHeight * scale};
}

SheetLayout::SheetLayout(const kvn_font& font, const std::vector<SheetEntry>& entries, int scale,
                         LabelSize label)
    : size_(entries.size()), scale_(scale), label_(label) {
  reachable_ = static_cast<std::size_t>(
      std::find_if(entries.begin(), entries.end(), [](const SheetEntry& e) { return !e.code; }) -
      entries.begin());
  const auto rowsFor = [](std::size_t n) {
    return static_cast<std::int64_t>((n + kColumns - 1) / kColumns);
  };
  firstUnreachableRow_ = rowsFor(reachable_);
  rows_ = firstUnreachableRow_ + rowsFor(size_ - reachable_);
  gridLeft_ = label.width + 4 * scale;
  cellWidth_ = font.cell_width * scale;
  rowHeight_ = std::max(font.cell_height * scale, label.height + 2 * scale);
}

SheetBox SheetLayout::RowBand(std::int64_t row) const {
  return {gridLeft_, row * (rowHeight_ + 1), static_cast<int>(width() - gridLeft_), rowHeight_ + 2};
}

SheetBox SheetLayout::Cell(std::int64_t row, int column) const {
  return {gridLeft_ + 1 + std::int64_t{column} * (cellWidth_ + 1), row * (rowHeight_ + 1) + 1,
          cellWidth_, rowHeight_};
}

SheetBox SheetLayout::Label(std::int64_t row) const {
  return {gridLeft_ - 2 * scale_ - label_.width,
          row * (rowHeight_ + 1) + 1 + (rowHeight_ - label_.height) / 2, label_.width,
          label_.height};
}

std::int64_t SheetLayout::RowAt(std::int64_t y) const {
  const std::int64_t step = rowHeight_ + 1;
  return y >= 0 ? y / step : -((-y + step - 1) / step);
}

std::optional<std::size_t> SheetLayout::EntryAt(std::int64_t row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= kColumns) return std::nullopt;
  const auto place = static_cast<std::size_t>(column);
  if (row < firstUnreachableRow_) {
    const std::size_t entry = static_cast<std::size_t>(row) * kColumns + place;
    if (entry < reachable_) return entry;
  } else {
    const std::size_t entry =
        reachable_ + static_cast<std::size_t>(row - firstUnreachableRow_) * kColumns + place;
    if (entry < size_) return entry;
  }
  return std::nullopt;
}

std::optional<std::size_t> SheetLayout::EntryAtPixel(std::int64_t x, std::int64_t y) const {
  const std::int64_t inGridX = x - gridLeft_ - 1;
  if (inGridX < 0 || y < 0) return std::nullopt;
  // A point on a grid line is in no cell.
  const std::int64_t step = cellWidth_ + 1, rowStep = rowHeight_ + 1;
  if (inGridX % step == cellWidth_ || y % rowStep == 0) return std::nullopt;
  const std::int64_t column = inGridX / step;
  if (column >= kColumns) return std::nullopt;
  return EntryAt(y / rowStep, static_cast<int>(column));
}

}  // namespace kelvane
