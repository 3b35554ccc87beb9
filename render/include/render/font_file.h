// The font a command or window looks at: a KVN file, or a BDF font converted
// into KVN in memory, opened with the device reader.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "font/result.h"
#include "kvn_reader.h"
#include "pipeline/conversion.h"

namespace kelvane {

struct LoadedFont {
  std::string path;
  bool converted = false;           // a BDF font converted in memory
  std::uint64_t fileSize = 0;       // of the KVN file, or of the conversion
  std::vector<std::uint8_t> bytes;  // as read (KVN files: no more than a font can use)
  kvn_font font{};                  // opened on `bytes`
  std::vector<Warning> warnings;    // of the conversion
  // Rows from the cell's top down to the baseline, when the converted font
  // states it (FontBytes::baseline).
  std::optional<std::int64_t> baseline;

  // The bytes the header accounts for; a file may have more after them.
  std::size_t DataSize() const;
};

// Opens the font bytes read from `path` (Converter::LoadFont) with the device
// reader. Refused with the reader's text, "the converted font: " before it
// for a converted font. The font does not move: the reader's view points into
// its bytes.
Result<std::unique_ptr<LoadedFont>> OpenFont(std::string path, FontBytes bytes);

// A code and the glyph the reader finds for it.
struct CodedGlyph {
  std::uint16_t code;
  std::uint16_t index;
};

// Every code a lookup finds, in the order of the ranges and of the codes in
// each; a code that an earlier range holds too is left to that range.
std::vector<CodedGlyph> CodesThroughRanges(const kvn_font& font);

// A code as text: 0x and at least 4 uppercase hexadecimal digits.
std::string CodeText(std::uint32_t code);

}  // namespace kelvane
