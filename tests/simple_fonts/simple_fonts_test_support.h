// What the tests of the small formats share: bytes written by hand, and a
// model described glyph by glyph.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "font/font_model.h"
#include "glyph_text.h"
#include "simple_fonts/simple_fonts.h"
#include "test_support.h"

namespace kelvane::simple {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;
using test::DescribeGlyphs;

inline void Append(Bytes& bytes, const Bytes& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
}
inline void AppendLe16(Bytes& bytes, std::uint32_t value) {
  Append(bytes, {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)});
}
inline Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The pipeline's limit on the cell, as the tests see it.
inline const CellCheck kAtMost32Wide = [](const FontBox& box) -> std::optional<std::string> {
  if (box.width > 32) return "too wide";
  return std::nullopt;
};

}  // namespace kelvane::simple
