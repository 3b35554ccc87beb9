// Text as the device draws it: each character's code looked up in the font,
// the default glyph for any the font lacks, glyphs placed advance by advance.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "font/result.h"
#include "kvn_reader.h"
#include "render/gray_image.h"

namespace kelvane {

// The glyph drawn for one character of a text, or for one code.
struct GlyphPick {
  std::optional<char32_t> character;  // none for a code asked for by itself
  std::optional<std::int64_t> code;   // none: the code set has no code for the character
  std::uint16_t index = 0;
  bool found = false;  // false: the default glyph stands in
};

// The glyph of each character of UTF-8 `text`, encoded in `charset` under
// `table` as the converter encodes characters.
Result<std::vector<GlyphPick>> PickGlyphsForText(const kvn_font& font, std::string_view text,
                                                 const std::string& charset,
                                                 const std::string& table);

// The glyph a lookup of `code` gives.
GlyphPick PickGlyphForCode(const kvn_font& font, std::int64_t code);

// One line of text art for a pick: "U+3042 あ 0x82A0 index 5 advance 16",
// with what stood in for a missing glyph.
std::string PickHeading(const kvn_font& font, const GlyphPick& pick);

// The glyph's cell as rows of '#' (ink) and '.' (none), each ended by '\n'.
std::string GlyphArt(const kvn_font& font, std::uint16_t index);

// The width of the line: the sum of the advances, and at least 1 pixel.
std::int64_t LineWidth(const kvn_font& font, const std::vector<GlyphPick>& picks);

// The line drawn in black on white, cell_height high, each font pixel a
// scale x scale square; the caller checks the size with ImageSizeProblem.
GrayImage RenderLine(const kvn_font& font, const std::vector<GlyphPick>& picks, int scale);

}  // namespace kelvane
