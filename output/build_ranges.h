// The code range table of a font whose glyphs are in file order.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "output/kvn_format.h"

namespace kelvane {

struct RangeTable {
  std::vector<CodeRange> ranges;
  std::int32_t defaultIndex = 0;  // the last glyph with the default code, else 0
};

// Each glyph whose code is one more than its predecessor's extends the current
// range; every other glyph opens a new one. Codes are never sorted.
// Requires at least one code.
RangeTable BuildRanges(std::span<const std::int32_t> codes, std::int32_t defaultCode);

}  // namespace kelvane
