// Reading the fonts FreeType reads: PCF (plain or gzip), OpenType, TrueType
// and CFF fonts with their bitmap strikes, bitmap-only OpenType (.otb),
// collections (.ttc/.otc), WOFF, and Windows .fnt/.fon files. The reader gets
// the file's bytes (FreeType never opens a path) and gives a font model whose
// glyphs keep the font's own codes, every bitmap at the cell's size. It knows
// nothing of the output format: its limit on the cell comes in as a CellCheck.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "font/font_model.h"
#include "font/result.h"

namespace kelvane::typeface {

// How outlines are fitted to the pixel grid: the font's own instructions (or
// FreeType's default for the font), FreeType's auto-hinter, or not at all.
enum class Hinting { kNative, kAuto, kNone };

struct FaceOptions {
  // Which face of a collection (or size of a .fon file); the first without it.
  std::optional<int> face;
  // Pixels per em: picks a strike of a bitmap font, or the size outlines are
  // rendered at (required for outline fonts).
  std::optional<int> pixelSize;
  // Render the outlines even where the face has a strike of pixelSize.
  bool outline = false;
  Hinting hinting = Hinting::kNative;
  // A cell of this width and height instead of the one the glyphs need
  // (not for PCF fonts, whose font box is their cell).
  std::optional<std::pair<int, int>> cell;
  // The font's own codes to keep; null keeps all. Only these glyphs are
  // rendered, and only they decide the cell. The default glyph is always kept.
  std::function<bool(std::int32_t code)> wanted;
};

// Why a cell cannot be stored, or nullopt. Asked before any cell-sized bitmap
// is set aside; a refusal becomes "Value out of range! [<boxLine>] (<reason>)".
using CellCheck = std::function<std::optional<std::string>(const FontBox&)>;

// Reads one face of the font in `bytes` into `model` (whose memory the bitmaps
// go into). `fileName` names the file in the model and in diagnostics.
//
// PCF: the charmap's codes, advances and bitmaps as stored; the cell is the
// union of every glyph's box ("FONTBOUNDINGBOX w h x y", as pcf2bdf writes
// it); registry and encoding from the font's properties; the default
// character from its encoding table.
// Others: codes from the Unicode character map (registry ISO10646-1), or for
// Windows fonts from their charset (Shift_JIS: JISX0201.1976-0, ANSI:
// CP1252); the default glyph is .notdef, kept without a code (kNoCode), or a
// Windows font's default character. Strikes are used as stored, outlines are
// rendered 1-bit at pixelSize. The cell is the smallest box on one baseline
// that holds every kept glyph's pixels and advance, unless options.cell forces
// one; pixels a forced cell cuts are left out, with one warning naming them.
// Refusals: "File is not support ! (...)" naming FreeType's error, the sizes a
// bitmap font has, the faces a collection has, or what a font lacks.
Result<FontModel> ReadTypeface(std::span<const std::uint8_t> bytes, const std::string& fileName,
                               const FaceOptions& options, const CellCheck& check,
                               FontModel model = FontModel());

// FreeType's name for an error code ("invalid file format"), from the list in
// its fterrors.h; "error 0xNN" for a code it does not list.
std::string FreeTypeErrorText(int error);

}  // namespace kelvane::typeface
