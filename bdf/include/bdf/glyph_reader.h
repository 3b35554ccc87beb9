// Reading one glyph's lines, from after its ENCODING line through ENDCHAR.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "bdf/line_reader.h"
#include "font/font_model.h"

namespace kelvane::bdf {

// Where a glyph's values go: its advance and its cell-sized bitmap.
struct GlyphTarget {
  std::uint8_t& advance;
  std::span<std::uint8_t> bitmap;
};

struct GlyphOutcome {
  bool complete = false;  // the glyph's ENDCHAR line was read
  std::string refusal;    // not empty: the glyph cannot be read, and why
};

// Reads the advance from DWIDTH and the bitmap rows after BITMAP, placed in the
// cell `box` by the glyph's BBX, up to and including ENDCHAR. A STARTCHAR,
// ENCODING or ENDFONT line before ENDCHAR refuses the glyph.
GlyphOutcome ReadGlyph(BdfLines& lines, GlyphTarget glyph, const FontBox& box);

// The byte two hex digits spell; a single digit stands for both, none gives 0.
std::uint8_t HexPairToByte(std::string_view pair);

}  // namespace kelvane::bdf
