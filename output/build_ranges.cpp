#include "output/build_ranges.h"

namespace kelvane {

RangeTable BuildRanges(std::span<const std::int32_t> codes, std::int32_t defaultCode) {
  RangeTable table;
  if (codes.empty()) return table;
  table.ranges.push_back({codes[0], codes[0], codes[0]});
  for (std::size_t k = 1; k < codes.size(); ++k) {
    const std::int64_t code = codes[k];
    if (code != static_cast<std::int64_t>(codes[k - 1]) + 1) {
      table.ranges.push_back(
          {codes[k], codes[k], static_cast<std::int32_t>(code - static_cast<std::int64_t>(k))});
    }
    if (codes[k] == defaultCode) table.defaultIndex = static_cast<std::int32_t>(k);
    table.ranges.back().lastCode = codes[k];
  }
  return table;
}

}  // namespace kelvane
