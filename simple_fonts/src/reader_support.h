// What the readers of the small formats share: the cell and its check,
// refusals, warnings that name a few of what they count, and bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "font/font_model.h"
#include "font/result.h"
#include "simple_fonts/simple_fonts.h"

namespace kelvane::simple {

// How many of the things a warning counts its detail names.
inline constexpr std::int64_t kNamedInDetail = 5;

// Things left out of a font: counted, the first few named.
class LeftOut {
 public:
  // Whether the next one added is named (build its name only then).
  bool NamesNext() const { return count_ < kNamedInDetail; }
  void Add(std::string_view name = {});
  std::int64_t count() const { return count_; }
  // Adds "TEXT" with the detail "LABEL: a, b, c, ..." when any was counted;
  // `text` is given the count.
  void Warn(std::vector<Warning>& warnings, std::string_view label,
            std::string (*text)(std::int64_t count)) const;

 private:
  std::int64_t count_ = 0;
  std::string names_;
};

// "1 glyph" or "N glyphs".
std::string Counted(std::int64_t count, std::string_view one, std::string_view several);

// "File is not support ! (reason)" for the file, without a line.
Diagnostic NotSupported(const std::string& fileName, std::string_view reason);

// Adds the file to the model, returning its index.
std::uint32_t AddFile(FontModel& model, const std::string& fileName);

// Gives the model its cell, asks the check, and makes room for the bitmaps and
// glyphs; the refusal when the check gives one.
std::optional<Diagnostic> TakeCell(FontModel& model, const std::string& fileName, FontBox box,
                                   std::string boxLine, const CellCheck& check, std::size_t bitmaps,
                                   std::size_t glyphs);

// Copies rows of BytesPerRow(width) bytes, clearing the padding bits right of
// the width.
void CopyRows(std::span<const std::uint8_t> from, std::span<std::uint8_t> to, std::int32_t width);

// "0x8140"; "U+0041" (at least four digits).
std::string HexCode(std::uint32_t code);
std::string UnicodeName(std::uint32_t code);

inline std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}
// Little-endian values at an offset the caller has checked.
inline std::uint32_t Le16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8);
}
inline std::uint32_t Le32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return Le16(bytes, at) | Le16(bytes, at + 2) << 16;
}

}  // namespace kelvane::simple
