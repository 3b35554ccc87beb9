#include "conversion/conversion_state.h"

namespace kelvane {

std::int64_t BytesPerRow(std::int64_t cellWidth) {
  return cellWidth <= 0 ? 0 : (cellWidth + 7) / 8;
}

std::int64_t GlyphBytes(std::int64_t cellWidth, std::int64_t cellHeight) {
  return cellHeight <= 0 ? 0 : BytesPerRow(cellWidth) * cellHeight;
}

void ConversionState::Reserve(std::int64_t glyphs) {
  const auto count = static_cast<std::size_t>(glyphs);
  codes.reserve(count);
  glyphStore.reserve(count * (1 + static_cast<std::size_t>(glyphBytes())));
}

GlyphRecord ConversionState::AppendGlyph(std::int32_t code) {
  const std::size_t recordSize = 1 + static_cast<std::size_t>(glyphBytes());
  codes.push_back(code);
  glyphStore.resize(glyphStore.size() + recordSize, 0);
  ++glyphCount;
  std::uint8_t* const record = glyphStore.data() + glyphStore.size() - recordSize;
  return GlyphRecord{record[0], std::span<std::uint8_t>(record + 1, recordSize - 1)};
}

}  // namespace kelvane
