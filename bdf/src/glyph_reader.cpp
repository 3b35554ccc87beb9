#include "glyph_reader.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string_view>

#include "bdf_messages.h"
#include "font/messages.h"
#include "text_fields.h"

namespace kelvane::bdf {
namespace {

constexpr std::int16_t DigitOf(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::int16_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::int16_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::int16_t>(c - 'a' + 10);
  return 0;
}

// Where a glyph's bitmap goes in the cell, and how many columns of each row
// are its pixels.
struct Placement {
  std::int64_t top = 0;
  std::int64_t left = 0;
  std::int64_t width = std::numeric_limits<std::int64_t>::max();  // without a BBX, every column

  // The rows are copied to the top left of the cell as they stand.
  bool copied() const { return top == 0 && left == 0; }
};

// A line that starts another glyph or ends the font: the current glyph lacks
// its ENDCHAR.
bool StartsOutsideGlyph(std::string_view line) {
  return line.starts_with("STARTCHAR") || line.starts_with("ENCODING") ||
         line.starts_with("ENDFONT");
}

GlyphOutcome MissingEndchar(const BdfLines& lines) {
  return {false, MissingEndcharAt(lines.number(), lines.line())};
}

// nullopt unless the text after "BBX" begins with four numbers.
std::optional<FontBox> ParseGlyphBox(std::string_view bbxLine) {
  std::string_view fields[4];
  if (SplitFields(bbxLine.substr(4), fields) < 4) return std::nullopt;
  std::int32_t values[4];
  for (int i = 0; i < 4; ++i) {
    const auto value = ParseInt32(fields[i]);
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  return FontBox{values[0], values[1], values[2], values[3]};
}

Placement PlacementOf(const std::optional<FontBox>& glyphBox, const FontBox& box) {
  if (!glyphBox) return {};
  return {(std::int64_t{box.y} + box.height) - (std::int64_t{glyphBox->y} + glyphBox->height),
          std::int64_t{glyphBox->x} - box.x, glyphBox->width};
}

constexpr std::array<std::uint8_t, 256> kHexDigitValues = [] {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = static_cast<std::uint8_t>(DigitOf(static_cast<char>(c)));
  }
  return table;
}();

std::uint8_t DigitValue(char c) { return kHexDigitValues[static_cast<unsigned char>(c)]; }

// The byte two hex digits spell; a single digit stands for both, none gives 0.
std::uint8_t HexPairToByte(std::string_view pair) {
  if (pair.empty()) return 0;
  return static_cast<std::uint8_t>(DigitValue(pair.front()) * 16 + DigitValue(pair.back()));
}

// The k-th byte of a hex row: its k-th pair of characters, one or none where
// the row ends.
std::uint8_t RowByte(std::string_view row, std::size_t k) {
  return 2 * k < row.size() ? HexPairToByte(row.substr(2 * k, 2)) : 0;
}

std::int64_t ColumnsGiven(std::string_view row) {
  return static_cast<std::int64_t>((row.size() + 1) / 2) * 8;
}

// Whether the row sets a pixel in columns [from, to).
bool HasInk(std::string_view row, std::int64_t from, std::int64_t to) {
  to = std::min(to, ColumnsGiven(row));
  for (std::int64_t j = std::max<std::int64_t>(from, 0); j < to; j = (j / 8 + 1) * 8) {
    const auto last = std::min<std::int64_t>(to - j / 8 * 8, 8);
    const unsigned mask = (0xFFu >> (j % 8)) & (0xFFu << (8 - last));
    const std::uint8_t byte = HexPairToByte(row.substr(static_cast<std::size_t>(j / 8 * 2), 2));
    if ((byte & mask) != 0) return true;
  }
  return false;
}

// Copies a row as it stands; true when pixels past the cell were left out.
bool CopyRow(std::string_view row, std::int64_t rowIndex, std::span<std::uint8_t> bitmap,
             int bytesPerRow, const FontBox& box, std::int64_t pixelWidth) {
  if (rowIndex >= box.height) return HasInk(row, 0, pixelWidth);
  std::uint8_t* const out = bitmap.data() + rowIndex * bytesPerRow;
  for (int k = 0; k < bytesPerRow; ++k) out[k] = RowByte(row, static_cast<std::size_t>(k));
  return ColumnsGiven(row) > box.width && HasInk(row, box.width, pixelWidth);
}

// Sets the row's pixels that fall in the cell; true when some did not.
bool PlaceRow(std::string_view row, std::int64_t rowIndex, std::span<std::uint8_t> bitmap,
              int bytesPerRow, const FontBox& box, const Placement& at) {
  const std::int64_t cellRow = at.top + rowIndex;
  if (cellRow < 0 || cellRow >= box.height) return HasInk(row, 0, at.width);
  const std::int64_t first = std::max<std::int64_t>(0, -at.left);
  const std::int64_t pastCell = box.width - at.left;
  const std::int64_t end = std::min({at.width, pastCell, ColumnsGiven(row)});
  std::uint8_t* const cellRowBytes = bitmap.data() + cellRow * bytesPerRow;
  for (std::int64_t j = first; j < end; ++j) {
    const std::uint8_t byte = RowByte(row, static_cast<std::size_t>(j / 8));
    if ((byte & (0x80 >> (j % 8))) == 0) continue;
    const std::int64_t column = at.left + j;
    cellRowBytes[column / 8] |= static_cast<std::uint8_t>(0x80 >> (column % 8));
  }
  return HasInk(row, 0, std::min(first, at.width)) || HasInk(row, pastCell, at.width);
}

GlyphOutcome ReadBitmapRows(BdfLines& lines, GlyphTarget glyph, int bytesPerRow, const FontBox& box,
                            const Placement& placement) {
  bool inkCut = false;
  std::int64_t rowIndex = 0;
  while (lines.Next()) {
    const std::string_view row = lines.line();
    if (row.starts_with("ENDCHAR")) return {true, {}, inkCut};
    if (StartsOutsideGlyph(row)) return MissingEndchar(lines);
    const bool cut = placement.copied()
                         ? CopyRow(row, rowIndex, glyph.bitmap, bytesPerRow, box, placement.width)
                         : PlaceRow(row, rowIndex, glyph.bitmap, bytesPerRow, box, placement);
    inkCut = inkCut || cut;
    ++rowIndex;
  }
  return {false, {}, inkCut};
}

}  // namespace

GlyphOutcome ReadGlyph(BdfLines& lines, GlyphTarget glyph, const FontBox& box) {
  const int bytesPerRow = static_cast<int>(BytesPerRow(box.width));
  std::optional<FontBox> glyphBox;
  while (lines.Next()) {
    const std::string_view line = lines.line();
    if (line.starts_with("DWIDTH ")) {
      const auto advance = FirstNumber(line.substr(7));
      if (!advance) return {false, InvalidNumberAt(lines.number(), line)};
      if (*advance < 0 || *advance > 255) return {false, ValueOutOfRangeAt(lines.number(), line)};
      glyph.advance = static_cast<std::uint8_t>(*advance);
    } else if (line.starts_with("BITMAP")) {
      return ReadBitmapRows(lines, glyph, bytesPerRow, box, PlacementOf(glyphBox, box));
    } else if (line.starts_with("ENDCHAR")) {
      return {true, {}};
    } else if (StartsOutsideGlyph(line)) {
      return MissingEndchar(lines);
    } else if (line.starts_with("BBX ")) {
      // A BBX line that is not four numbers is ignored.
      if (auto parsed = ParseGlyphBox(line)) glyphBox = parsed;
    }
  }
  return {false, {}};
}

}  // namespace kelvane::bdf
