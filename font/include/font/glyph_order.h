// Putting a font's glyphs in the order of their codes.
#pragma once

#include <string>

#include "font/font_model.h"
#include "font/result.h"

namespace kelvane {

// The text of the line that gave a glyph its code, for messages.
std::string EncodingLineOf(const Glyph& glyph);

// Sorts the glyphs by code, keeping file order among equal codes and a glyph
// without a code (kNoCode) last, and refuses
// two glyphs with one code, naming the one that came later.
Status SortGlyphsByCode(FontModel& model);

}  // namespace kelvane
