// How two fonts differ as a device draws them. Every code from 0 to 0xFFFF is
// looked up in both as the device reader looks it up, a code a font lacks
// drawing its default glyph; two glyphs are alike when they have the same
// advance and ink at the same pixels (their cells laid top left on top left).
// Two fonts draw alike when their cells are equal and every code draws alike,
// whatever their range tables and the order of their glyphs.
#pragma once

#include <cstdint>
#include <vector>

#include "kvn_reader.h"

namespace kelvane {

// The header fields of a KVN font, in the order a comparison gives them.
enum class FontField {
  kCellWidth,
  kCellHeight,
  kGlyphBytes,
  kGlyphCount,
  kRangeCount,
  kDefaultIndex,
  kRangesAscend,  // 1: ascending, 0: not
};

// A field whose values differ. Only the cell's (and glyph bytes, which follow
// from it) change what is drawn: the others change how the data is laid out.
struct FieldChange {
  FontField field;
  std::int64_t before = 0, after = 0;
  bool changesDrawing = false;
};

// How the glyph drawn after differs from the glyph drawn before.
struct GlyphChange {
  bool ink = false;  // a pixel has ink in one of them only
  std::uint8_t advanceBefore = 0, advanceAfter = 0;

  bool advance() const { return advanceBefore != advanceAfter; }
  bool any() const { return ink || advance(); }
};

enum class CodeChange { kAdded, kRemoved, kChanged };

// A code that one font holds and the other lacks, or that both hold with
// glyphs that differ.
struct CodeDifference {
  std::uint16_t code = 0;
  CodeChange change = CodeChange::kChanged;
  std::uint16_t before = 0, after = 0;  // the glyphs drawn for it: a default one where lacked
  GlyphChange glyph;  // none for an added or removed code drawn as the default glyph was
};

// Codes added (or removed) together, from first to last: each code between
// is one of the run, or is held by neither font and stands for no character
// (0x837F among the katakana of Shift_JIS). All of them draw as before, or
// none does.
struct CodeRun {
  CodeChange change = CodeChange::kAdded;
  std::uint16_t first = 0, last = 0;
  std::int64_t count = 0;  // the codes of the run added or removed
  bool drawsAsBefore = false;
};

struct FontDiff {
  std::vector<FieldChange> fields;    // the fields that differ, in the order of FontField
  std::vector<CodeDifference> codes;  // by code
  std::vector<CodeRun> runs;          // the added and removed codes, by code
  GlyphChange defaultGlyph;           // between the two default glyphs
  std::int64_t lackedByBoth = 0;      // codes each font draws its default glyph for

  std::int64_t Count(CodeChange change) const;
  bool CellChanged() const;
  // Whether a code neither font holds draws differently.
  bool DefaultGlyphChanged() const { return defaultGlyph.any() && lackedByBoth > 0; }
  bool DrawsAlike() const;
};

// How `after` differs from `before`. `noCharacter` marks, by code (65,536 of
// them), the codes that stand for no character in the code set the codes are
// read in, across which runs of codes go on.
FontDiff CompareFonts(const kvn_font& before, const kvn_font& after,
                      const std::vector<bool>& noCharacter);

}  // namespace kelvane
