// The KVN bytes a conversion should give, described as a font: cell, default
// code and glyphs. The bytes come from the KVN encoder, so these expectations
// test what the reader and the stages made of a font, not the layout.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font/font_model.h"
#include "kvn/kvn_encoder.h"

namespace kelvane::test {

struct GlyphData {
  int code;
  int advance;
  std::vector<int> bitmap;  // glyphBytes values; missing ones are 0
};

inline FontModel ModelOf(int width, int height, int defaultCode,
                         const std::vector<GlyphData>& glyphs) {
  FontModel model;
  model.files = {"test.bdf"};
  model.codeField = "ENCODING";
  model.box = {width, height, 0, 0};
  model.defaultCode = defaultCode;
  for (const GlyphData& data : glyphs) {
    Glyph& glyph = model.AddGlyph(data.code, {0, 1});
    glyph.advance = static_cast<std::uint8_t>(data.advance);
    const auto bitmap = model.bitmap(glyph);
    for (std::size_t i = 0; i < data.bitmap.size() && i < bitmap.size(); ++i) {
      bitmap[i] = static_cast<std::uint8_t>(data.bitmap[i]);
    }
  }
  return model;
}

// The file for glyphs given in ascending code order.
inline std::string ExpectedKvn(int width, int height, int defaultCode,
                               const std::vector<GlyphData>& glyphs) {
  const auto bytes = kvn::EncodeKvn(ModelOf(width, height, defaultCode, glyphs));
  EXPECT_TRUE(bytes.ok()) << (bytes.ok() ? "" : bytes.error().text);
  return bytes.ok() ? std::string(bytes->begin(), bytes->end()) : std::string();
}

}  // namespace kelvane::test
