#include "diff_report.h"

#include "pipeline/names.h"
#include "render/font_file.h"

namespace kelvane {
namespace {

constexpr const char* kLayout = "layout: ";

std::string FieldName(FontField field) {
  switch (field) {
    case FontField::kCellWidth:
      return "cell width";
    case FontField::kCellHeight:
      return "cell height";
    case FontField::kGlyphBytes:
      return "glyph bytes";
    case FontField::kGlyphCount:
      return "glyph count";
    case FontField::kRangeCount:
      return "range count";
    case FontField::kDefaultIndex:
      return "default index";
    case FontField::kRangesAscend:
      return "ranges";
  }
  return "";
}

std::string FieldValue(FontField field, std::int64_t value) {
  if (field == FontField::kRangesAscend) return value != 0 ? "ascending" : "not ascending";
  return std::to_string(value);
}

// "0x0041 (U+0041 A)", "0x8340-0x8396 (U+30A1 ァ - U+30F6 ヶ), 86 codes";
// nothing in parentheses when neither end stands for a character.
std::string CodesText(const CodeRun& run, const std::vector<std::optional<char32_t>>& characters) {
  const auto character = [&characters](std::uint16_t code) {
    return code < characters.size() ? characters[code] : std::nullopt;
  };
  const auto named = [&](std::uint16_t code) {
    const auto c = character(code);
    return c ? DescribeCharacter(*c) : "no character";
  };
  const bool range = run.last != run.first;
  std::string text = CodeText(run.first) + (range ? "-" + CodeText(run.last) : "");
  if (character(run.first) || (range && character(run.last))) {
    text += " (" + named(run.first) + (range ? " - " + named(run.last) : "") + ")";
  }
  if (run.count > 1) text += ", " + std::to_string(run.count) + " codes";
  return text;
}

// "bitmap", "advance 5 -> 6", "bitmap, advance 5 -> 6".
std::string GlyphChangeText(const GlyphChange& change) {
  std::string text = change.ink ? "bitmap" : "";
  if (change.advance()) {
    text += std::string(change.ink ? ", " : "") + "advance " +
            std::to_string(change.advanceBefore) + " -> " + std::to_string(change.advanceAfter);
  }
  return text;
}

std::string Counted(std::int64_t count, const std::string& one, const std::string& several) {
  return std::to_string(count) + " " + (count == 1 ? one : several);
}

}  // namespace

std::string DiffLines(const FontDiff& diff,
                      const std::vector<std::optional<char32_t>>& characters) {
  std::string out;
  for (const FieldChange& field : diff.fields) {
    out += (field.changesDrawing ? "" : kLayout) + FieldName(field.field) + " " +
           FieldValue(field.field, field.before) + " -> " + FieldValue(field.field, field.after) +
           "\n";
  }
  for (const CodeRun& run : diff.runs) {
    const bool added = run.change == CodeChange::kAdded;
    out += (run.drawsAsBefore ? kLayout : "") + std::string(added ? "added " : "removed ") +
           CodesText(run, characters);
    if (run.drawsAsBefore) {
      out += added ? ", drawn as OLD's default glyph drew it"
                   : ", drawn by NEW's default glyph as before";
    }
    out += "\n";
  }
  for (const CodeDifference& d : diff.codes) {
    if (d.change != CodeChange::kChanged) continue;
    out += "changed " + CodesText({d.change, d.code, d.code, 1, false}, characters) + ": " +
           GlyphChangeText(d.glyph) + "\n";
  }
  if (diff.defaultGlyph.any()) {
    out += diff.DefaultGlyphChanged()
               ? "changed default glyph: " + GlyphChangeText(diff.defaultGlyph) + " (drawn for " +
                     Counted(diff.lackedByBoth, "code", "codes") + " neither font holds)\n"
               : std::string(kLayout) +
                     "changed default glyph: " + GlyphChangeText(diff.defaultGlyph) +
                     " (drawn for no code: each code is in one font at least)\n";
  }
  return out;
}

std::string DiffSummary(const FontDiff& diff) {
  std::string text = Counted(diff.Count(CodeChange::kAdded), "code added", "codes added") + ", " +
                     std::to_string(diff.Count(CodeChange::kRemoved)) + " removed, " +
                     Counted(diff.Count(CodeChange::kChanged), "glyph changed", "glyphs changed");
  if (diff.DrawsAlike()) return text + "; every code draws as before";
  const bool cell = diff.CellChanged(), defaultGlyph = diff.DefaultGlyphChanged();
  if (cell || defaultGlyph) {
    text += std::string("; the ") + (cell ? "cell" : "") +
            (cell && defaultGlyph ? " and the " : "") + (defaultGlyph ? "default glyph" : "") +
            " changed";
  }
  return text;
}

}  // namespace kelvane
