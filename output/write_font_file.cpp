#include "output/write_font_file.h"

#include <span>
#include <vector>

#include "output/file_replacement.h"

namespace kelvane {
namespace {

bool FitsWord(std::int64_t value) { return value >= 0 && value <= kMaxWordValue; }
bool FitsByte(std::int64_t value) { return value >= 0 && value <= kMaxByteValue; }

void AppendWord(std::vector<std::uint8_t>& out, std::int64_t value) {
  const auto bytes = SplitWord(value);
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// The header and range table, or nullopt when a value does not fit its field.
std::optional<std::vector<std::uint8_t>> EncodeFront(const FontHeader& header,
                                                     const std::vector<CodeRange>& ranges) {
  if (!FitsWord(header.glyphCount) || !FitsWord(header.rangeCount) ||
      !FitsWord(header.defaultIndex) || !FitsByte(header.cellWidth) ||
      !FitsByte(header.cellHeight) || !FitsByte(header.glyphBytes)) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + kRangeRecordSize * ranges.size());
  AppendWord(out, header.glyphCount);
  AppendWord(out, header.rangeCount);
  AppendWord(out, header.defaultIndex);
  out.push_back(static_cast<std::uint8_t>(header.cellWidth));
  out.push_back(static_cast<std::uint8_t>(header.cellHeight));
  out.push_back(static_cast<std::uint8_t>(header.glyphBytes));
  for (const CodeRange& range : ranges) {
    if (!FitsWord(range.firstCode) || !FitsWord(range.lastCode) || !FitsWord(range.indexDelta)) {
      return std::nullopt;
    }
    AppendWord(out, range.firstCode);
    AppendWord(out, range.lastCode);
    AppendWord(out, range.indexDelta);
  }
  return out;
}

}  // namespace

std::array<std::uint8_t, 2> SplitWord(std::int64_t value) {
  return {static_cast<std::uint8_t>(value % 256), static_cast<std::uint8_t>(value / 256)};
}

std::optional<std::string> WriteFontFile(const std::string& outputPath,
                                         const ConversionState& state, const RangeTable& ranges) {
  const FontHeader header{state.glyphCount,    static_cast<std::int64_t>(ranges.ranges.size()),
                          ranges.defaultIndex, state.cellWidth,
                          state.cellHeight,    state.glyphBytes()};
  const auto front = EncodeFront(header, ranges.ranges);
  const std::size_t recordsSize = static_cast<std::size_t>(state.glyphCount) *
                                  (1 + static_cast<std::size_t>(state.glyphBytes()));
  if (!front || state.glyphStore.size() != recordsSize) {
    return std::string("a value does not fit the file format");
  }
  const std::span<const std::uint8_t> pieces[] = {*front, state.glyphStore};
  return ReplaceFile(outputPath, pieces);
}

}  // namespace kelvane
