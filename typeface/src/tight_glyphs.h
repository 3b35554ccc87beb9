// Glyphs kept at the size of their pixels until the cell is known, then placed
// into the cell-sized bitmaps of a font model.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "font/font_model.h"

namespace kelvane::typeface {

// A 1-bit image as a rasterizer gives it: rows top first, `pitch` bytes apart,
// leftmost pixel in the most significant bit (`grey`: one byte a pixel, set
// from 128 up).
struct PixelRows {
  const std::uint8_t* rows = nullptr;
  int pitch = 0;
  int width = 0;
  int height = 0;
  bool grey = false;

  bool At(int x, int y) const {
    const std::uint8_t* row = rows + static_cast<std::ptrdiff_t>(y) * pitch;
    if (grey) return row[x] >= 128;
    return (row[x / 8] & (0x80 >> (x % 8))) != 0;
  }
};

// One glyph: its pixels trimmed to their ink, and where they lie from the
// origin (left: columns right of it; top: rows above the baseline).
struct TightGlyph {
  std::int32_t code = 0;
  std::uint8_t advance = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::size_t offset = 0;  // into TightGlyphs' bytes
};

class TightGlyphs {
 public:
  // Keeps the ink of `image`, whose top left pixel lies `left` columns right
  // of the origin and `top` rows above the baseline.
  void Add(std::int32_t code, std::uint8_t advance, int left, int top, const PixelRows& image);

  // The smallest box on the baseline holding every glyph's ink and advance
  // (at least one row high); nullopt without glyphs.
  std::optional<FontBox> Cell() const;
  const std::vector<TightGlyph>& glyphs() const { return glyphs_; }

  // Adds every glyph to `model` (whose box is the cell) with the given source;
  // returns the codes of the glyphs whose pixels the cell cut.
  std::vector<std::int32_t> PlaceInto(FontModel& model, SourceLine source) const;

 private:
  std::vector<TightGlyph> glyphs_;
  std::vector<std::uint8_t> bytes_;
};

// Sets the pixels of `image` (top left at column `left`, row `top` of the
// cell) in a cell-sized bitmap; true when some fell outside the cell.
bool PlaceRows(const PixelRows& image, std::int64_t left, std::int64_t top, const FontBox& cell,
               std::span<std::uint8_t> bitmap);

}  // namespace kelvane::typeface
