#include "sheet_layout.h"

#include <algorithm>

namespace kelvane {

SheetLayout::SheetLayout(const std::vector<SheetEntry>& entries) : size_(entries.size()) {
  reachable_ = static_cast<std::size_t>(
      std::find_if(entries.begin(), entries.end(), [](const SheetEntry& e) { return !e.code; }) -
      entries.begin());
  const auto rowsFor = [](std::size_t n) {
    return static_cast<std::int64_t>((n + kColumns - 1) / kColumns);
  };
  firstUnreachableRow_ = rowsFor(reachable_);
  rows_ = firstUnreachableRow_ + rowsFor(size_ - reachable_);
}

std::optional<std::size_t> SheetLayout::EntryAt(std::int64_t row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= kColumns) return std::nullopt;
  std::size_t entry = 0;
  if (row < firstUnreachableRow_) {
    entry = static_cast<std::size_t>(row) * kColumns + static_cast<std::size_t>(column);
    if (entry >= reachable_) return std::nullopt;
  } else {
    entry = reachable_ + static_cast<std::size_t>(row - firstUnreachableRow_) * kColumns +
            static_cast<std::size_t>(column);
    if (entry >= size_) return std::nullopt;
  }
  return entry;
}

std::int64_t SheetLayout::RowOf(std::size_t entry) const {
  if (entry < reachable_) return static_cast<std::int64_t>(entry / kColumns);
  return firstUnreachableRow_ + static_cast<std::int64_t>((entry - reachable_) / kColumns);
}

int SheetLayout::ColumnOf(std::size_t entry) const {
  const std::size_t place = entry < reachable_ ? entry : entry - reachable_;
  return static_cast<int>(place % kColumns);
}

}  // namespace kelvane
