// Where the glyphs of a sheet go: 16 cells a row in sheet order, the glyphs no
// code finds from a row of their own, as `kvn sheet` lays them out.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "render/glyph_sheet.h"

namespace kelvane {

class SheetLayout {
 public:
  static constexpr int kColumns = 16;

  SheetLayout() = default;
  explicit SheetLayout(const std::vector<SheetEntry>& entries);

  std::int64_t rows() const { return rows_; }
  // The entry in this cell, or none (an empty cell, or outside the grid).
  std::optional<std::size_t> EntryAt(std::int64_t row, int column) const;
  // The row and column of an entry.
  std::int64_t RowOf(std::size_t entry) const;
  int ColumnOf(std::size_t entry) const;

 private:
  std::size_t size_ = 0;
  std::size_t reachable_ = 0;             // entries with a code, which come first
  std::int64_t firstUnreachableRow_ = 0;  // where the others start
  std::int64_t rows_ = 0;
};

}  // namespace kelvane
