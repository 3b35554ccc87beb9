// What the tests of the small formats share: bytes written by hand, and a
// model described glyph by glyph.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "font/font_model.h"
#include "simple_fonts/simple_fonts.h"
#include "test_support.h"

namespace kelvane {
inline void PrintTo(const Warning& w, std::ostream* os) {
  *os << w.text << " [" << w.detail << "]";
}
}  // namespace kelvane

namespace kelvane::simple {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

inline void Append(Bytes& bytes, const Bytes& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
}
inline void AppendLe16(Bytes& bytes, std::uint32_t value) {
  Append(bytes, {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)});
}
inline Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Each glyph as "CODE advance bitmap" (code and bitmap in hex), in the model's order.
inline Lines Describe(const FontModel& model) {
  Lines glyphs;
  for (const Glyph& glyph : model.glyphs) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X %d ", static_cast<unsigned>(glyph.code), glyph.advance);
    glyphs.emplace_back(text);
    for (const std::uint8_t byte : model.bitmap(glyph)) {
      std::snprintf(text, sizeof text, "%02X", byte);
      glyphs.back() += text;
    }
  }
  return glyphs;
}

// The pipeline's limit on the cell, as the tests see it.
inline const CellCheck kAtMost32Wide = [](const FontBox& box) -> std::optional<std::string> {
  if (box.width > 32) return "too wide";
  return std::nullopt;
};

}  // namespace kelvane::simple
