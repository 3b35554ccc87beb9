#include "tight_glyphs.h"

#include <algorithm>
#include <limits>

namespace kelvane::typeface {

void TightGlyphs::Add(std::int32_t code, std::uint8_t advance, int left, int top,
                      const PixelRows& image) {
  int minX = image.width, maxX = -1, minY = image.height, maxY = -1;
  for (int y = 0; y < image.height; ++y) {
    int first = 0;
    while (first < image.width && !image.At(first, y)) ++first;
    if (first == image.width) continue;
    int last = image.width - 1;
    while (!image.At(last, y)) --last;
    minX = std::min(minX, first);
    maxX = std::max(maxX, last);
    minY = std::min(minY, y);
    maxY = y;
  }
  TightGlyph glyph{code, advance, 0, 0, 0, 0, bytes_.size()};
  if (maxX >= 0) {
    glyph.left = left + minX;
    glyph.top = top - minY;
    glyph.width = maxX - minX + 1;
    glyph.height = maxY - minY + 1;
    const auto rowBytes = static_cast<std::size_t>(BytesPerRow(glyph.width));
    bytes_.resize(bytes_.size() + rowBytes * static_cast<std::size_t>(glyph.height));
    std::uint8_t* out = bytes_.data() + glyph.offset;
    for (int y = 0; y < glyph.height; ++y, out += rowBytes) {
      for (int x = 0; x < glyph.width; ++x) {
        if (image.At(minX + x, minY + y)) out[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  glyphs_.push_back(glyph);
}

std::optional<FontBox> TightGlyphs::Cell() const {
  if (glyphs_.empty()) return std::nullopt;
  std::int64_t minX = 0, maxX = 0;
  std::int64_t minY = std::numeric_limits<std::int64_t>::max();
  std::int64_t maxY = std::numeric_limits<std::int64_t>::min();
  for (const TightGlyph& glyph : glyphs_) {
    maxX = std::max<std::int64_t>(maxX, glyph.advance);
    if (glyph.width == 0) continue;
    minX = std::min<std::int64_t>(minX, glyph.left);
    maxX = std::max<std::int64_t>(maxX, std::int64_t{glyph.left} + glyph.width);
    maxY = std::max<std::int64_t>(maxY, glyph.top);
    minY = std::min<std::int64_t>(minY, std::int64_t{glyph.top} - glyph.height);
  }
  if (maxY < minY) minY = 0, maxY = 1;  // no ink at all: one row on the baseline
  return FontBox{static_cast<std::int32_t>(std::max<std::int64_t>(maxX - minX, 1)),
                 static_cast<std::int32_t>(maxY - minY), static_cast<std::int32_t>(minX),
                 static_cast<std::int32_t>(minY)};
}

bool PlaceRows(const PixelRows& image, std::int64_t left, std::int64_t top, const FontBox& cell,
               std::span<std::uint8_t> bitmap) {
  const std::int64_t rowBytes = BytesPerRow(cell.width);
  bool cut = false;
  for (int y = 0; y < image.height; ++y) {
    const std::int64_t row = top + y;
    for (int x = 0; x < image.width; ++x) {
      if (!image.At(x, y)) continue;
      const std::int64_t column = left + x;
      if (row < 0 || row >= cell.height || column < 0 || column >= cell.width) {
        cut = true;
        continue;
      }
      bitmap[static_cast<std::size_t>(row * rowBytes + column / 8)] |=
          static_cast<std::uint8_t>(0x80 >> (column % 8));
    }
  }
  return cut;
}

std::vector<std::int32_t> TightGlyphs::PlaceInto(FontModel& model, SourceLine source) const {
  std::vector<std::int32_t> cut;
  const FontBox& cell = model.box;
  for (const TightGlyph& tight : glyphs_) {
    Glyph& glyph = model.AddGlyph(tight.code, source);
    glyph.advance = tight.advance;
    if (tight.width == 0) continue;
    const PixelRows image{bytes_.data() + tight.offset, static_cast<int>(BytesPerRow(tight.width)),
                          tight.width, tight.height, false};
    const std::int64_t top = (std::int64_t{cell.y} + cell.height) - tight.top;
    const std::int64_t left = std::int64_t{tight.left} - cell.x;
    if (PlaceRows(image, left, top, cell, model.bitmap(glyph))) cut.push_back(tight.code);
  }
  return cut;
}

}  // namespace kelvane::typeface
