// The KVN font file layout: a 9-byte header, a table of code ranges and one
// record of 1 + glyphBytes bytes per glyph. 16-bit fields are little-endian.
//
//   header  glyphCount:2 rangeCount:2 defaultIndex:2 cellWidth:1 cellHeight:1 glyphBytes:1
//   range   firstCode:2 lastCode:2 indexDelta:2   (glyph index = code - indexDelta)
//   record  advance:1 bitmap:glyphBytes
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelvane::kvn {

inline constexpr std::size_t kHeaderSize = 9;
inline constexpr std::size_t kRangeRecordSize = 6;
inline constexpr std::int64_t kMaxWordValue = 65535;
inline constexpr std::int64_t kMaxByteValue = 255;

// The largest file a header can describe: 65535 ranges and 65535 glyphs of
// 255 bytes and an advance. A reader never looks past it.
inline constexpr std::size_t kLargestFontBytes =
    kHeaderSize + kRangeRecordSize * 65535 + std::size_t{65535} * (1 + 255);

// The limits the layout sets.
inline constexpr std::int64_t kMaxCode = kMaxWordValue;
inline constexpr std::int64_t kMaxGlyphs = kMaxWordValue;
inline constexpr std::int64_t kMaxCellSide = kMaxByteValue;
inline constexpr std::int64_t kMaxGlyphBytes = kMaxByteValue;

struct FontHeader {
  std::int64_t glyphCount = 0;
  std::int64_t rangeCount = 0;
  std::int64_t defaultIndex = 0;
  std::int64_t cellWidth = 0;
  std::int64_t cellHeight = 0;
  std::int64_t glyphBytes = 0;
};

// Glyphs with codes firstCode..lastCode have indexes firstCode - indexDelta ...
struct CodeRange {
  std::int32_t firstCode = 0;
  std::int32_t lastCode = 0;
  std::int32_t indexDelta = 0;

  bool operator==(const CodeRange&) const = default;
};

// The two bytes of a 16-bit field, low byte first; value must be 0..65535.
std::array<std::uint8_t, 2> SplitWord(std::int64_t value);

}  // namespace kelvane::kvn
