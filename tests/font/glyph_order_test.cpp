// Sorting a font's glyphs by code, and two glyphs that end up with one code.
#include <gtest/gtest.h>

#include "font/glyph_order.h"

namespace kelvane {
namespace {

FontModel Font(const std::vector<std::pair<std::int32_t, std::int64_t>>& codesAndLines) {
  FontModel model;
  model.files = {"f.bdf"};
  model.codeField = "ENCODING";
  model.box = {8, 1, 0, 0};
  for (const auto& [code, line] : codesAndLines) {
    Glyph& glyph = model.AddGlyph(code, {0, line});
    model.bitmap(glyph)[0] = static_cast<std::uint8_t>(line);
  }
  return model;
}

TEST(SortGlyphsByCode, OrdersGlyphsAndKeepsTheirBitmaps) {
  FontModel model = Font({{66, 3}, {65, 7}, {300, 11}, {0, 15}});
  ASSERT_TRUE(SortGlyphsByCode(model).ok());
  std::vector<std::pair<std::int32_t, int>> order;
  for (const Glyph& glyph : model.glyphs) order.emplace_back(glyph.code, model.bitmap(glyph)[0]);
  EXPECT_EQ(order,
            (std::vector<std::pair<std::int32_t, int>>{{0, 15}, {65, 7}, {66, 3}, {300, 11}}));
}

TEST(SortGlyphsByCode, RefusesTwoGlyphsWithOneCodeNamingTheLaterOne) {
  for (const auto& glyphs :
       {std::vector<std::pair<std::int32_t, std::int64_t>>{{70, 3}, {65, 9}, {70, 21}},
        std::vector<std::pair<std::int32_t, std::int64_t>>{{70, 21}, {65, 9}, {70, 3}}}) {
    FontModel model = Font(glyphs);
    model.glyphs[0].sourceCode = model.glyphs[2].sourceCode = 8481;  // mapped to one code
    const Status sorted = SortGlyphsByCode(model);
    ASSERT_FALSE(sorted.ok());
    EXPECT_EQ(sorted.error(),
              (Diagnostic{"f.bdf", 21, "Duplicate code at line 21! [ENCODING 8481]"}));
  }
}

}  // namespace
}  // namespace kelvane
