// Text as the device draws it: the text in the bytes a device holds for the
// code set, measured and drawn by the device reader (kvn_text_width,
// kvn_draw_text) with its decoder for that code set; each code looked up in
// the font, the default glyph for any the font lacks, glyphs placed advance
// by advance.
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
  // How a device holds the character: its bytes in the code set (UTF-8 for
  // unicode, else the code's one or two bytes) and the reader's decoder for
  // them. None for a character the code set lacks, which a device text cannot
  // hold, and for a code asked for by itself.
  std::string bytes;
  kvn_decoder decode = nullptr;
};

// The glyph of each character of UTF-8 `text`, encoded in `charset` under
// `table` as the converter encodes characters, with its bytes on a device:
// Shift_JIS for shift_jis and jisx0208 (read by kvn_decode_sjis), UTF-8 for
// unicode (kvn_decode_utf8), a byte a character otherwise (kvn_decode_byte).
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

// The width of the line as kvn_text_width measures the picks' bytes: the sum
// of the advances, and at least 1 pixel.
std::int64_t LineWidth(const kvn_font& font, const std::vector<GlyphPick>& picks);

// The line drawn by kvn_draw_text from the picks' bytes in black on white,
// cell_height high, each font pixel a scale x scale square; ink of the last
// glyph past the line's end is left out. A character without bytes is drawn
// as the default glyph, as a text of its own. The caller checks the size with
// ImageSizeProblem.
GrayImage RenderLine(const kvn_font& font, const std::vector<GlyphPick>& picks, int scale);

}  // namespace kelvane
