// Putting a font's glyphs in the order of their codes.
#pragma once

#include <string>

#include "font/font_model.h"
#include "font/result.h"

namespace kelvane {

// The text that gave a glyph its code in its source ("ENCODING 65"), for messages.
std::string CodeLineOf(const FontModel& model, const Glyph& glyph);

// Sorts the glyphs by code, keeping file order among equal codes and a glyph
// without a code (kNoCode) last, and refuses
// two glyphs with one code, naming the one that came later.
Status SortGlyphsByCode(FontModel& model);

}  // namespace kelvane
