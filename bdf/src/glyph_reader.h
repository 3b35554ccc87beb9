// Reading one glyph's lines, from after its ENCODING line through ENDCHAR.
#pragma once

#include <cstdint>
#include <span>
#include <string>

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
  bool inkCut = false;    // set pixels fell outside the cell and were left out
};

// Reads the advance from DWIDTH and the bitmap rows after BITMAP, placed in the
// cell `box` by the glyph's BBX, up to and including ENDCHAR. A STARTCHAR,
// ENCODING or ENDFONT line before ENDCHAR refuses the glyph. The pixels of a
// glyph are the set bits within its BBX width (all that are given without a
// BBX), in every row it gives.
GlyphOutcome ReadGlyph(BdfLines& lines, GlyphTarget glyph, const FontBox& box);

}  // namespace kelvane::bdf
