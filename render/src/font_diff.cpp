#include "render/font_diff.h"

#include <algorithm>
#include <optional>

#include "render/font_file.h"
#include "render/gray_image.h"

namespace kelvane {
namespace {

constexpr std::int32_t kCodes = 0x10000;
constexpr std::int32_t kLacked = -1;

// The glyph each code finds, as the reader's lookup finds it; kLacked where none.
std::vector<std::int32_t> GlyphsByCode(const kvn_font& font) {
  std::vector<std::int32_t> glyphs(kCodes, kLacked);
  for (const CodedGlyph& coded : CodesThroughRanges(font)) glyphs[coded.code] = coded.index;
  return glyphs;
}

// Whether two glyphs have ink at the same pixels; bits beyond a cell are no ink.
bool SameInk(const kvn_font& a, std::uint16_t indexA, const kvn_font& b, std::uint16_t indexB) {
  const kvn_glyph glyphA = kvn_glyph_at(&a, indexA), glyphB = kvn_glyph_at(&b, indexB);
  if (a.cell_width == b.cell_width && a.cell_height == b.cell_height) {
    const int rowBytes = (a.cell_width + 7) / 8;
    const auto lastMask = static_cast<std::uint8_t>(0xFF << (rowBytes * 8 - a.cell_width));
    for (int at = 0; at < a.glyph_bytes; ++at) {
      const std::uint8_t mask = at % rowBytes == rowBytes - 1 ? lastMask : 0xFF;
      if (((glyphA.bitmap[at] ^ glyphB.bitmap[at]) & mask) != 0) return false;
    }
    return true;
  }
  const auto ink = [](const kvn_font& font, const kvn_glyph& glyph, int x, int y) {
    return x < font.cell_width && y < font.cell_height && InkAt(font, glyph, x, y);
  };
  const int width = std::max(a.cell_width, b.cell_width);
  const int height = std::max(a.cell_height, b.cell_height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (ink(a, glyphA, x, y) != ink(b, glyphB, x, y)) return false;
    }
  }
  return true;
}

GlyphChange Compare(const kvn_font& before, std::uint16_t indexBefore, const kvn_font& after,
                    std::uint16_t indexAfter) {
  return {!SameInk(before, indexBefore, after, indexAfter),
          kvn_glyph_at(&before, indexBefore).advance, kvn_glyph_at(&after, indexAfter).advance};
}

std::vector<FieldChange> FieldChanges(const kvn_font& before, const kvn_font& after) {
  const auto fields = [](const kvn_font& font) {
    return std::vector<std::int64_t>{font.cell_width,   font.cell_height, font.glyph_bytes,
                                     font.glyph_count,  font.range_count, font.default_index,
                                     font.ranges_ascend};
  };
  const std::vector<std::int64_t> old = fields(before), now = fields(after);
  std::vector<FieldChange> changes;
  for (std::size_t i = 0; i < old.size(); ++i) {
    const auto field = static_cast<FontField>(i);
    if (old[i] != now[i]) {
      changes.push_back({field, old[i], now[i], field <= FontField::kGlyphBytes});
    }
  }
  return changes;
}

// The added and removed codes in runs (CodeRun).
std::vector<CodeRun> RunsOf(const std::vector<CodeDifference>& codes,
                            const std::vector<std::int32_t>& before,
                            const std::vector<std::int32_t>& after,
                            const std::vector<bool>& noCharacter) {
  std::vector<CodeRun> runs;
  std::optional<CodeRun> open;
  std::int32_t next = 0;  // the first code not yet passed
  for (const CodeDifference& difference : codes) {
    if (difference.change == CodeChange::kChanged) continue;
    const bool asBefore = !difference.glyph.any();
    // Whether the run open goes on across the codes up to this one.
    bool joins = open && open->change == difference.change && open->drawsAsBefore == asBefore;
    for (std::int32_t code = next; joins && code < difference.code; ++code) {
      joins = before[code] == kLacked && after[code] == kLacked &&
              code < static_cast<std::int32_t>(noCharacter.size()) && noCharacter[code];
    }
    if (joins) {
      open->last = difference.code;
      ++open->count;
    } else {
      if (open) runs.push_back(*open);
      open = CodeRun{difference.change, difference.code, difference.code, 1, asBefore};
    }
    next = difference.code + 1;
  }
  if (open) runs.push_back(*open);
  return runs;
}

}  // namespace

std::int64_t FontDiff::Count(CodeChange change) const {
  return std::count_if(codes.begin(), codes.end(),
                       [change](const CodeDifference& d) { return d.change == change; });
}

bool FontDiff::CellChanged() const {
  return std::any_of(fields.begin(), fields.end(),
                     [](const FieldChange& field) { return field.changesDrawing; });
}

bool FontDiff::DrawsAlike() const {
  return !CellChanged() && !DefaultGlyphChanged() &&
         std::none_of(codes.begin(), codes.end(),
                      [](const CodeDifference& d) { return d.glyph.any(); });
}

FontDiff CompareFonts(const kvn_font& before, const kvn_font& after,
                      const std::vector<bool>& noCharacter) {
  FontDiff diff;
  diff.fields = FieldChanges(before, after);
  diff.defaultGlyph = Compare(before, before.default_index, after, after.default_index);
  const std::vector<std::int32_t> old = GlyphsByCode(before), now = GlyphsByCode(after);
  for (std::int32_t code = 0; code < kCodes; ++code) {
    if (old[code] == kLacked && now[code] == kLacked) {
      ++diff.lackedByBoth;
      continue;
    }
    CodeDifference difference;
    difference.code = static_cast<std::uint16_t>(code);
    difference.change = old[code] == kLacked   ? CodeChange::kAdded
                        : now[code] == kLacked ? CodeChange::kRemoved
                                               : CodeChange::kChanged;
    difference.before =
        static_cast<std::uint16_t>(old[code] == kLacked ? before.default_index : old[code]);
    difference.after =
        static_cast<std::uint16_t>(now[code] == kLacked ? after.default_index : now[code]);
    difference.glyph = Compare(before, difference.before, after, difference.after);
    if (difference.change != CodeChange::kChanged || difference.glyph.any()) {
      diff.codes.push_back(difference);
    }
  }
  diff.runs = RunsOf(diff.codes, old, now, noCharacter);
  return diff;
}

}  // namespace kelvane
