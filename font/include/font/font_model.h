// The neutral font model: what a bitmap font holds, whatever file it came from
// and whatever file it will go to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "font/result.h"

namespace kelvane {

// A font's bounding box, or a glyph's: a size and the offset of the lower left
// corner from the origin, in pixels.
struct FontBox {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;

  bool operator==(const FontBox&) const = default;
};

// Where a value was read: an index into FontModel::files and a line number.
struct SourceLine {
  std::uint32_t file = 0;
  std::int64_t line = 0;
};

// The code of a glyph kept only as the font's default: it has no code of its
// own in the output.
inline constexpr std::int32_t kNoCode = -1;

struct Glyph {
  std::int32_t code = 0;        // the code the glyph is found by (mapped by later stages)
  std::int32_t sourceCode = 0;  // the code the font file gave it
  std::uint8_t advance = 0;
  std::uint32_t bitmap = 0;  // which bitmap of the arena is this glyph's
  SourceLine source;
};

// Bytes per bitmap row: the ceiling of width / 8 (0 for widths of 0 or below).
std::int64_t BytesPerRow(std::int64_t cellWidth);
// Bytes per glyph bitmap: BytesPerRow(width) * height (0 for heights of 0 or below).
std::int64_t GlyphBytes(std::int64_t cellWidth, std::int64_t cellHeight);

// A fixed-cell bitmap font. Every glyph's bitmap has the cell's size: `height`
// rows of BytesPerRow(width) bytes, top row first, leftmost pixel in the most
// significant bit. The bitmaps live in one contiguous arena.
class FontModel {
 public:
  explicit FontModel(std::pmr::memory_resource* arenaMemory = std::pmr::get_default_resource())
      : glyphs(arenaMemory), arena_(arenaMemory) {}

  std::vector<std::string> files;           // the files the glyphs came from
  FontBox box;                              // the cell and where the origin lies in it
  SourceLine boxSource;                     // where the box was given
  std::string boxLine;                      // the text that gave it, for messages
  std::string registry;                     // CHARSET_REGISTRY, e.g. "JISX0208.1983"
  std::string encoding;                     // CHARSET_ENCODING, e.g. "0"
  std::optional<std::int32_t> defaultChar;  // DEFAULT_CHAR, a code of the font
  std::int32_t defaultCode = 0;             // the default character's mapped code
  std::pmr::vector<Glyph> glyphs;           // in the arena's memory
  std::vector<Warning> warnings;            // about the font as it was read (pixels cut, ...)
  std::string codeField;                    // how the source names a glyph's code, e.g. ENCODING

  std::int64_t bytesPerRow() const { return BytesPerRow(box.width); }
  std::int64_t glyphBytes() const { return GlyphBytes(box.width, box.height); }

  // Makes room for this many glyphs and bitmaps of the current cell size.
  void ReserveBitmaps(std::size_t count);
  // Appends a glyph with a zero-filled bitmap of the current cell size.
  Glyph& AddGlyph(std::int32_t code, SourceLine source);

  std::span<std::uint8_t> bitmap(const Glyph& glyph);
  std::span<const std::uint8_t> bitmap(const Glyph& glyph) const;

  // The file a glyph came from, or "" when unknown.
  const std::string& fileOf(const SourceLine& source) const;

 private:
  std::pmr::vector<std::uint8_t> arena_;
  std::uint32_t bitmapCount_ = 0;
};

}  // namespace kelvane
