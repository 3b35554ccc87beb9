// Mapping a font into an output code set: each glyph's character is found
// from the font's own character set, and the glyph is given the output codes
// of that character.
#pragma once

#include <string>
#include <vector>

#include "font/font_model.h"
#include "font/result.h"
#include "mapping/code_space.h"

namespace kelvane {

// Gives the font the codes of `output`. Every output code gets the glyph of the
// character it decodes to, or, where the font lacks that character and
// `output` is a Japanese code set, of the other member of its variant pair;
// codes that decode to one character share its glyph. Glyphs whose character
// has no code are left out, and so are glyphs whose character another glyph
// of the font has at the code the font's table encodes it to (under cp932,
// JIS X 0208 0x2D70 in NEC row 13 beside 0x2262, both ≒). The default
// character gets the lowest code of its glyph, or is kept after the coded
// glyphs with kNoCode. Returns notes on what was left out.
Result<std::vector<std::string>> MapToOutput(FontModel& font, const CodeSpace& output,
                                             JapaneseTable table);

}  // namespace kelvane
