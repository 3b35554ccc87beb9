// Sorting a font's glyphs by code: two glyphs that end up with one code.
#include <gtest/gtest.h>

#include "font/glyph_order.h"

namespace kelvane {
namespace {

FontModel Font(const std::vector<std::pair<std::int32_t, std::int64_t>>& codesAndLines) {
  FontModel model;
  model.files = {"f.bdf"};
  model.codeField = "ENCODING";
  model.box = {8, 1, 0, 0};
  for (const auto& [code, line] : codesAndLines) model.AddGlyph(code, {0, line});
  return model;
}

// Its order is the pipeline's test "glyphs in any order are written by code".
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
