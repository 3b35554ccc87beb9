// What `kvn diff` prints about two fonts: a line for each difference, and a
// line that sums them up. Lines that start with "layout: " tell of
// differences that change no drawing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "render/font_diff.h"

namespace kelvane {

// Each line ends with '\n': the header fields that differ; the added and
// removed codes in runs, each code with the character it stands for
// (`characters`, by code: none where it stands for none); the codes whose
// glyph changed; the default glyph.
std::string DiffLines(const FontDiff& diff, const std::vector<std::optional<char32_t>>& characters);

// "3 codes added, 1 removed, 2 glyphs changed", with what else changed the
// drawings, or that every code draws as before; no line end.
std::string DiffSummary(const FontDiff& diff);

}  // namespace kelvane
