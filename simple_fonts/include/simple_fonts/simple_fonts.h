// Readers of the small bitmap font formats: FONTX2, Unifont .hex and PSF (1
// and 2). Each takes a whole file's bytes and gives a font model whose glyphs
// keep the codes the file gives them, in file order, every bitmap at the cell's
// size. They know nothing of the output format: its limit on the cell comes in
// as a CellCheck.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "font/font_model.h"
#include "font/result.h"

namespace kelvane::simple {

// Why a cell cannot be stored, or nullopt. Asked once, before any bitmap is set
// aside; a refusal becomes "Value out of range! [<boxLine>] (<reason>)".
using CellCheck = std::function<std::optional<std::string>(const FontBox&)>;

// Whether a file whose first bytes (any number of them) these are is of the
// kind: "FONTX2"; 36 04 with a known mode and a height; 72 B5 4A 86; lines of
// a code of 4 to 6 hex digits, ':' and 32 or 64 hex digits, the last line
// possibly cut where the bytes end.
bool LooksLikeFontx2(std::string_view firstBytes);
bool LooksLikePsf1(std::string_view firstBytes);
bool LooksLikePsf2(std::string_view firstBytes);
bool LooksLikeHex(std::string_view firstBytes);

// In each reader `model` is an empty model, whose memory the bitmaps go into.
// The model gets `fileName` in its files, the cell as its box, a short text of
// the cell for messages ("FONTX2 16x16") as its boxLine, and no default
// character. A file that is cut short or whose header is out of bounds is
// refused with "File is not support ! (...)" naming what is wrong.

// FONTX2. Single-byte files hold the 256 codes 0x00-0xFF, registered as
// JISX0201.1976-0. Double-byte files hold the Shift_JIS codes of their code
// blocks, turned into JIS row/cell codes and registered as JISX0208.1983-0, so
// later stages give them back their Shift_JIS codes; codes whose lead or trail
// byte is not one of Shift_JIS are left out and counted in a warning (their
// glyphs are skipped). Every glyph advances the file's width; the box is
// {width, height, 0, 0}.
Result<FontModel> ReadFontx2(std::span<const std::uint8_t> bytes, const std::string& fileName,
                             const CellCheck& check, FontModel model = FontModel());

// Unifont .hex: lines of a code, ':' and 32 or 64 hex digits (8 or 16 pixels
// wide, 16 high), registered as ISO10646-1. Glyphs above U+FFFF are left out
// and counted in a warning. The cell is 16 wide when any glyph is, 8
// otherwise; each glyph advances its own width, and the baseline is 2 rows
// above the bottom. A line of any other form is refused with its number, as is
// a code given twice; empty lines are passed over.
Result<FontModel> ReadHex(std::span<const std::uint8_t> bytes, const std::string& fileName,
                          const CellCheck& check, FontModel model = FontModel());

// PSF 1 and 2. With a Unicode table, each glyph is kept once for every single
// code point the table gives it, and the font is registered as ISO10646-1;
// sequences, glyphs the table gives no code and codes given to a second glyph
// are left out, each counted in a warning. Without a table, the codes are the
// glyph indexes and no registry is named. Every glyph advances the cell's
// width; the box is {width, height, 0, 0}.
Result<FontModel> ReadPsf(std::span<const std::uint8_t> bytes, const std::string& fileName,
                          const CellCheck& check, FontModel model = FontModel());

}  // namespace kelvane::simple
