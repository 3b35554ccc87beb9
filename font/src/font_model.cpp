#include "font/font_model.h"

namespace kelvane {

std::int64_t BytesPerRow(std::int64_t cellWidth) {
  return cellWidth <= 0 ? 0 : (cellWidth + 7) / 8;
}

std::int64_t GlyphBytes(std::int64_t cellWidth, std::int64_t cellHeight) {
  return cellHeight <= 0 ? 0 : BytesPerRow(cellWidth) * cellHeight;
}

void FontModel::ReserveBitmaps(std::size_t count) {
  glyphs.reserve(count);
  arena_.reserve(count * static_cast<std::size_t>(glyphBytes()));
}

Glyph& FontModel::AddGlyph(std::int32_t code, SourceLine source) {
  arena_.resize(arena_.size() + static_cast<std::size_t>(glyphBytes()));
  glyphs.push_back(Glyph{code, code, 0, bitmapCount_++, source});
  return glyphs.back();
}

std::span<std::uint8_t> FontModel::bitmap(const Glyph& glyph) {
  const auto size = static_cast<std::size_t>(glyphBytes());
  return std::span<std::uint8_t>(arena_).subspan(glyph.bitmap * size, size);
}

std::span<const std::uint8_t> FontModel::bitmap(const Glyph& glyph) const {
  const auto size = static_cast<std::size_t>(glyphBytes());
  return std::span<const std::uint8_t>(arena_).subspan(glyph.bitmap * size, size);
}

const std::string& FontModel::fileOf(const SourceLine& source) const {
  static const std::string kUnknown;
  return source.file < files.size() ? files[source.file] : kUnknown;
}

}  // namespace kelvane
