// The values gathered from one BDF file and the glyph records they hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelvane {

// One glyph: its advance (the DWIDTH value) and its bitmap, cellHeight rows of
// bytesPerRow bytes, top row first, leftmost pixel in the most significant bit.
// The bytes live in the ConversionState's contiguous glyph store.
struct GlyphRecord {
  std::uint8_t& advance;
  std::span<std::uint8_t> bitmap;
};

// Bytes per bitmap row: the ceiling of cellWidth / 8 (0 for widths of 0 or below).
std::int64_t BytesPerRow(std::int64_t cellWidth);
// Bytes per glyph bitmap: BytesPerRow(cellWidth) * cellHeight (0 for heights of 0 or below).
std::int64_t GlyphBytes(std::int64_t cellWidth, std::int64_t cellHeight);

struct ConversionState {
  std::int32_t cellWidth = 0;
  std::int32_t cellHeight = 0;
  std::string charsetName;
  std::int32_t defaultCode = 0;
  // codes[k] is the mapped code of glyph k, in file order.
  std::vector<std::int32_t> codes;
  std::int32_t glyphCount = 0;
  // glyphCount records of 1 + glyphBytes bytes each: the advance, then the
  // bitmap. This is exactly the glyph section of the output file.
  std::vector<std::uint8_t> glyphStore;

  // Meaningful for cell sizes the file format can hold (up to 255).
  int bytesPerRow() const { return static_cast<int>(BytesPerRow(cellWidth)); }
  std::int64_t glyphBytes() const { return GlyphBytes(cellWidth, cellHeight); }

  // Makes room for this many glyphs of the current cell size.
  void Reserve(std::int64_t glyphs);
  // Appends a zero-filled glyph with the given code and returns its record.
  GlyphRecord AppendGlyph(std::int32_t code);
};

}  // namespace kelvane
