// Merging several fonts into one, e.g. a half-width font for single-byte codes
// and a full-width font for double-byte codes in one file.
#pragma once

#include <memory_resource>
#include <span>
#include <string>
#include <vector>

#include "font/font_model.h"
#include "font/result.h"

namespace kelvane {

struct MergedFont {
  FontModel font;
  std::vector<std::string> notes;  // codes more than one font gave, for the user who asks
};

// The smallest cell that holds every font's box with all their origins at one
// point (so their baselines line up): {right - left, top - bottom, left,
// bottom}. Refuses an empty list, and a cell whose width or height does not fit
// in 32 bits. A caller with a limit on the cell checks it here, before
// MergeFonts makes bitmaps of that size.
Result<FontBox> MergedCell(std::span<const FontModel> fonts);

// One font made of several whose glyphs already have their output codes.
//
// Every glyph is moved into MergedCell(fonts) where its own font's box puts it
// and keeps its advance; glyphs keep their order, first font first. Where two
// fonts give one code the earlier font's glyph stays and a note names both.
// The files are those of all the fonts in turn, and every source line is
// re-based to name its own file. The default character is that of the first
// font whose default character has a glyph, else the first font's; a glyph
// without an output code (-1) is kept only from that font. Registry and
// encoding are the first font's; the box's source is that of the font with the
// largest glyphs in bytes, the first of those when several are as large.
//
// A single font is returned as it is, in its own memory.
Result<MergedFont> MergeFonts(std::vector<FontModel> fonts, std::pmr::memory_resource* arenaMemory =
                                                                std::pmr::get_default_resource());

}  // namespace kelvane
