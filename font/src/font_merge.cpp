#include "font/font_merge.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "font/messages.h"

namespace kelvane {
namespace {

constexpr std::size_t kMostCollisionNotes = 10;
constexpr std::uint32_t kUnknownFile = std::numeric_limits<std::uint32_t>::max();

// One side of the merged cell and the font that sets it.
struct Edge {
  std::int64_t at = 0;
  std::size_t font = 0;
};

bool HasDefaultGlyph(const FontModel& font) {
  return font.defaultChar.has_value() &&
         std::any_of(font.glyphs.begin(), font.glyphs.end(),
                     [&](const Glyph& glyph) { return glyph.code == font.defaultCode; });
}

// The first font whose default character has a glyph, else the first font.
std::size_t DefaultFontOf(const std::vector<FontModel>& fonts) {
  const auto found = std::find_if(fonts.begin(), fonts.end(), HasDefaultGlyph);
  return found == fonts.end() ? 0 : static_cast<std::size_t>(found - fonts.begin());
}

// The first of the fonts with the largest glyphs in bytes.
std::size_t LargestFontOf(const std::vector<FontModel>& fonts) {
  std::size_t largest = 0;
  for (std::size_t i = 1; i < fonts.size(); ++i) {
    if (fonts[i].glyphBytes() > fonts[largest].glyphBytes()) largest = i;
  }
  return largest;
}

// A source line of a font whose files start at `firstFile` in the merged list.
// A line of no file the font knows stays of no known file.
SourceLine Rebased(SourceLine source, std::uint32_t firstFile, std::size_t fileCount) {
  source.file = source.file < fileCount ? firstFile + source.file : kUnknownFile;
  return source;
}

// Copies a bitmap of the cell `from` into a zeroed bitmap of the cell `to`,
// `right` columns right and `down` rows down; the whole of `from` must land
// inside `to`. Bits past the last column of a row are not pixels and stay
// behind, unless the rows are copied as they stand.
void PlaceBitmap(std::span<const std::uint8_t> source, const FontBox& from,
                 std::span<std::uint8_t> target, const FontBox& to, std::int64_t right,
                 std::int64_t down) {
  const auto sourceRowBytes = static_cast<std::size_t>(BytesPerRow(from.width));
  const auto targetRowBytes = static_cast<std::size_t>(BytesPerRow(to.width));
  if (right == 0 && from.width == to.width) {
    std::copy(source.begin(), source.end(),
              target.begin() +
                  static_cast<std::ptrdiff_t>(down) * static_cast<std::ptrdiff_t>(targetRowBytes));
    return;
  }
  if (sourceRowBytes == 0) return;
  const int shift = static_cast<int>(right % 8);
  const int usedBits = static_cast<int>(from.width % 8);
  const auto lastByteMask =
      static_cast<std::uint8_t>(usedBits == 0 ? 0xFF : 0xFF << (8 - usedBits));
  const std::size_t rows = source.size() / sourceRowBytes;
  for (std::size_t row = 0; row < rows; ++row) {
    const std::uint8_t* in = source.data() + row * sourceRowBytes;
    std::uint8_t* out = target.data() + (static_cast<std::size_t>(down) + row) * targetRowBytes +
                        static_cast<std::size_t>(right / 8);
    for (std::size_t k = 0; k < sourceRowBytes; ++k) {
      std::uint8_t byte = in[k];
      if (k + 1 == sourceRowBytes) byte &= lastByteMask;
      if (byte == 0) continue;
      out[k] |= static_cast<std::uint8_t>(byte >> shift);
      // Pixels shifted past this byte lie in the cell, so the next byte exists.
      const auto spill = static_cast<std::uint8_t>(shift == 0 ? 0 : byte << (8 - shift));
      if (spill != 0) out[k + 1] |= spill;
    }
  }
}

std::string CodeText(std::int32_t code) {
  if (code < 0) return std::to_string(code);
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(code));
  return text;
}

std::string PlaceText(const FontModel& font, const SourceLine& source) {
  return ShortPath(font.fileOf(source)) + " line " + std::to_string(source.line);
}

// Notes on codes that two fonts gave: the first few in full, then how many more.
class CollisionNotes {
 public:
  void Add(const FontModel& merged, std::int32_t code, const SourceLine& kept,
           const SourceLine& leftOut) {
    if (count_++ >= kMostCollisionNotes) return;
    notes_.push_back("code " + CodeText(code) + ": kept from " + PlaceText(merged, kept) +
                     ", left out from " + PlaceText(merged, leftOut));
  }

  std::vector<std::string> Take() && {
    if (count_ > kMostCollisionNotes) {
      const std::size_t more = count_ - kMostCollisionNotes;
      notes_.push_back(
          "... and " + std::to_string(more) +
          (more == 1 ? " more code given by two files" : " more codes given by two files"));
    }
    return std::move(notes_);
  }

 private:
  std::vector<std::string> notes_;
  std::size_t count_ = 0;
};

}  // namespace

Result<FontBox> MergedCell(std::span<const FontModel> fonts) {
  if (fonts.empty()) return Diagnostic{{}, 0, "No font to merge"};
  Edge left{fonts[0].box.x, 0};
  Edge bottom{fonts[0].box.y, 0};
  Edge right{std::int64_t{fonts[0].box.x} + fonts[0].box.width, 0};
  Edge top{std::int64_t{fonts[0].box.y} + fonts[0].box.height, 0};
  for (std::size_t i = 1; i < fonts.size(); ++i) {
    const FontBox& box = fonts[i].box;
    if (box.x < left.at) left = {box.x, i};
    if (box.y < bottom.at) bottom = {box.y, i};
    if (std::int64_t{box.x} + box.width > right.at) right = {std::int64_t{box.x} + box.width, i};
    if (std::int64_t{box.y} + box.height > top.at) top = {std::int64_t{box.y} + box.height, i};
  }
  // Blames the later of the two fonts that set a side too long.
  const auto refuse = [&](const Edge& low, const Edge& high, std::string_view unit) {
    const FontModel& font = fonts[std::max(low.font, high.font)];
    const std::string reason = "with the other fonts the cell would be " +
                               std::to_string(high.at - low.at) + " pixels " + std::string(unit);
    return Diagnostic{font.fileOf(font.boxSource), font.boxSource.line,
                      ValueOutOfRangeAt(font.boxSource.line, font.boxLine, reason)};
  };
  constexpr std::int64_t kMostSide = std::numeric_limits<std::int32_t>::max();
  if (right.at - left.at > kMostSide) return refuse(left, right, "wide");
  if (top.at - bottom.at > kMostSide) return refuse(bottom, top, "high");
  return FontBox{static_cast<std::int32_t>(right.at - left.at),
                 static_cast<std::int32_t>(top.at - bottom.at), static_cast<std::int32_t>(left.at),
                 static_cast<std::int32_t>(bottom.at)};
}

Result<MergedFont> MergeFonts(std::vector<FontModel> fonts,
                              std::pmr::memory_resource* arenaMemory) {
  if (fonts.size() == 1) return MergedFont{std::move(fonts.front()), {}};
  auto cell = MergedCell(fonts);
  if (!cell) return std::move(cell).error();

  FontModel merged(arenaMemory);
  merged.box = *cell;
  const std::int64_t cellTop = std::int64_t{cell->y} + cell->height;
  std::vector<std::uint32_t> firstFiles;
  std::size_t glyphCount = 0;
  for (FontModel& font : fonts) {
    firstFiles.push_back(static_cast<std::uint32_t>(merged.files.size()));
    for (std::string& file : font.files) merged.files.push_back(std::move(file));
    for (Warning& warning : font.warnings) merged.warnings.push_back(std::move(warning));
    glyphCount += font.glyphs.size();
  }
  const std::size_t largest = LargestFontOf(fonts);
  merged.boxSource =
      Rebased(fonts[largest].boxSource, firstFiles[largest], fonts[largest].files.size());
  merged.boxLine = std::move(fonts[largest].boxLine);
  merged.codeField = fonts.front().codeField;
  merged.registry = std::move(fonts.front().registry);
  merged.encoding = std::move(fonts.front().encoding);
  const std::size_t defaultFont = DefaultFontOf(fonts);
  merged.defaultChar = fonts[defaultFont].defaultChar;
  merged.defaultCode = fonts[defaultFont].defaultCode;

  merged.glyphs.reserve(glyphCount);
  merged.ReserveBitmaps(glyphCount);
  CollisionNotes notes;
  std::unordered_map<std::int32_t, std::size_t> earlierCodes;  // code -> index in merged.glyphs
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    const FontModel& font = fonts[i];
    const std::int64_t right = std::int64_t{font.box.x} - cell->x;
    const std::int64_t down = cellTop - (std::int64_t{font.box.y} + font.box.height);
    const std::size_t firstGlyph = merged.glyphs.size();
    for (const Glyph& glyph : font.glyphs) {
      if (glyph.code == kNoCode && i != defaultFont) continue;
      const SourceLine source = Rebased(glyph.source, firstFiles[i], font.files.size());
      if (const auto earlier = earlierCodes.find(glyph.code); earlier != earlierCodes.end()) {
        notes.Add(merged, glyph.code, merged.glyphs[earlier->second].source, source);
        continue;
      }
      Glyph& placed = merged.AddGlyph(glyph.code, source);
      placed.sourceCode = glyph.sourceCode;
      placed.advance = glyph.advance;
      PlaceBitmap(font.bitmap(glyph), font.box, merged.bitmap(placed), merged.box, right, down);
    }
    // Codes a font gives twice are left for the glyph order to refuse.
    for (std::size_t k = firstGlyph; k < merged.glyphs.size(); ++k) {
      earlierCodes.try_emplace(merged.glyphs[k].code, k);
    }
  }
  return MergedFont{std::move(merged), std::move(notes).Take()};
}

}  // namespace kelvane
