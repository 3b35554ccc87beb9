// Encoding a font model as a KVN file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "font/font_model.h"
#include "font/result.h"
#include "kvn/kvn_layout.h"

namespace kelvane::kvn {

struct RangeTable {
  std::vector<CodeRange> ranges;
  std::int32_t defaultIndex = 0;  // the last glyph with the default code, else 0
};

// Each glyph whose code is one more than its predecessor's extends the current
// range; every other glyph opens a new one. Requires at least one code.
RangeTable BuildRanges(std::span<const std::int32_t> codes, std::int32_t defaultCode);

// Why a font with this cell cannot be stored, or nullopt.
std::optional<std::string> CellLimitReason(const FontBox& box);

// The header and range table of a model whose glyphs are sorted by code, every
// value checked against its field; a value that does not fit is refused
// naming the line that gave it.
struct KvnFront {
  FontHeader header;
  std::vector<std::uint8_t> bytes;  // the header and the range table, encoded
  std::int64_t fileSize = 0;        // of the whole file
};
Result<KvnFront> PlanKvn(const FontModel& model);

// Passes the glyph records to `sink` in order, in pieces of a few hundred
// kilobytes; stops at the first failure the sink returns.
using ByteSink = std::function<Status(std::span<const std::uint8_t>)>;
Status WriteKvnRecords(const FontModel& model, const ByteSink& sink);

// The whole file in memory.
Result<std::vector<std::uint8_t>> EncodeKvn(const FontModel& model);

}  // namespace kelvane::kvn
