// A font model's glyphs as text, for the tests of the readers.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "font/font_model.h"

namespace kelvane::test {

// Each glyph as "CODE advance bitmap" (code and bitmap in hex), in the model's order.
inline std::vector<std::string> DescribeGlyphs(const FontModel& model) {
  std::vector<std::string> glyphs;
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

}  // namespace kelvane::test
