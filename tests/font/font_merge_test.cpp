// Merging fonts: one cell on one baseline, the earlier font winning a code, the
// default character, and glyphs still naming their own file and line.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "font/font_merge.h"
#include "test_support.h"

namespace kelvane {
namespace {

using Pixels = std::set<std::pair<int, int>>;  // (column, row), row 0 at the top of the cell

struct GlyphIn {
  std::int32_t code;
  std::int64_t line = 1;
  Pixels pixels = {};
  std::uint8_t advance = 0;
};

FontModel Font(std::vector<std::string> files, FontBox box, const std::vector<GlyphIn>& glyphs) {
  FontModel font;
  font.files = std::move(files);
  font.box = box;
  font.boxSource = {0, 2};
  font.boxLine = "FONTBOUNDINGBOX " + std::to_string(box.width) + " " + std::to_string(box.height) +
                 " " + std::to_string(box.x) + " " + std::to_string(box.y);
  for (const GlyphIn& in : glyphs) {
    Glyph& glyph =
        font.AddGlyph(in.code, {static_cast<std::uint32_t>(font.files.size() - 1), in.line});
    glyph.advance = in.advance;
    for (const auto& [x, y] : in.pixels)
      font.bitmap(glyph)[y * font.bytesPerRow() + x / 8] |=
          static_cast<std::uint8_t>(0x80 >> x % 8);
  }
  return font;
}

// The lit pixels of the merged font's glyph k; (-1, -1) if there is no such glyph.
Pixels Lit(const MergedFont& merged, std::size_t k) {
  const FontModel& font = merged.font;
  if (k >= font.glyphs.size()) return {{-1, -1}};
  Pixels lit;
  for (int y = 0; y < font.box.height; ++y)
    for (int x = 0; x < font.box.width; ++x)
      if (font.bitmap(font.glyphs[k])[y * font.bytesPerRow() + x / 8] & (0x80 >> x % 8))
        lit.insert({x, y});
  return lit;
}

template <class... Fonts>
Result<MergedFont> Merge(Fonts... fonts) {
  std::vector<FontModel> list;
  (list.push_back(std::move(fonts)), ...);
  return MergeFonts(std::move(list));
}

// A font's box, the pixels of its glyph, and where they are in the merged cell.
struct Side {
  FontBox box;
  Pixels in, out;
};

TEST(MergeFonts, PutsEveryGlyphWhereItsBaselineSays) {
  const struct {
    const char* name;
    FontBox cell;
    Side first, second;
  } cases[] = {
      // clang-format off
      // Half and full width on one baseline: the half glyph keeps its rows, at the left.
      {"half and full width", {12, 12, 0, -2},
       {{6, 12, 0, -2}, {{0, 0}, {5, 11}, {3, 6}}, {{0, 0}, {5, 11}, {3, 6}}},
       {{12, 12, 0, -2}, {{0, 0}, {11, 11}}, {{0, 0}, {11, 11}}}},
      // A deeper descent and an origin a column further right, into a row's second byte.
      {"deeper descent, further right", {9, 10, 0, -2}, {{8, 8, 0, 0}, {{0, 0}, {7, 7}}, {{0, 0}, {7, 7}}},
       {{8, 10, 1, -2}, {{0, 0}, {7, 9}, {3, 4}}, {{1, 0}, {8, 9}, {4, 4}}}},
      {"origin left of the edge", {19, 8, -3, 0}, {{4, 8, -3, 0}, {{3, 7}}, {{3, 7}}},
       {{16, 8, 0, 0}, {{0, 0}, {7, 1}, {15, 2}}, {{3, 0}, {10, 1}, {18, 2}}}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto merged = Merge(Font({"a.bdf"}, c.first.box, {{0x41, 1, c.first.in, 6}}),
                        Font({"b.bdf"}, c.second.box, {{0x889F, 1, c.second.in, 12}}));
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(merged->font.box, c.cell);
    EXPECT_EQ(Lit(*merged, 0), c.first.out);
    EXPECT_EQ(Lit(*merged, 1), c.second.out);
  }
}

// Every glyph still names its own file and line, and the cell's box line is
// that of the font with the largest glyphs, the first of equals.
TEST(MergeFonts, KeepsTheEarlierFontsGlyphForACodeAndEveryGlyphsFileAndLine) {
  FontModel half = Font({"half.bdf"}, {6, 4, 0, 0}, {{0x41, 100}, {0x5C, 120, {{0, 0}}, 6}});
  half.bitmap(half.glyphs[1])[0] |= 0x03;  // padding past the sixth column, not a pixel
  FontModel full =
      Font({"x.bdf", "full.bdf"}, {12, 4, 0, 0}, {{0x5C, 3050, {{11, 3}}, 12}, {0x889F, 20}});
  full.boxSource = {1, 5};
  auto merged =
      Merge(std::move(half), std::move(full), Font({"more.bdf"}, {12, 4, 0, 0}, {{0x8140, 40}}));
  ASSERT_TRUE(merged.ok());
  const FontModel& font = merged->font;
  std::vector<std::pair<std::string, std::int64_t>> sources;
  for (const Glyph& glyph : font.glyphs)
    sources.emplace_back(font.fileOf(glyph.source), glyph.source.line);
  EXPECT_EQ(sources,
            (std::vector<std::pair<std::string, std::int64_t>>{
                {"half.bdf", 100}, {"half.bdf", 120}, {"full.bdf", 20}, {"more.bdf", 40}}));
  EXPECT_EQ(Lit(*merged, 1), (Pixels{{0, 0}}));  // 0x5C from half.bdf
  EXPECT_EQ(std::pair(font.fileOf(font.boxSource), font.boxSource.line),
            std::pair(std::string("full.bdf"), std::int64_t{5}));
  EXPECT_EQ(merged->notes, (std::vector<std::string>{"code 0x005C: kept from half.bdf line 120, "
                                                     "left out from full.bdf line 3050"}));
  // Ten codes are noted one by one, the rest counted.
  for (const int codes : {10, 11, 13}) {
    std::vector<GlyphIn> glyphs;
    for (int code = 0; code < codes; ++code) glyphs.push_back({code});
    merged = Merge(Font({"a.bdf"}, {8, 1, 0, 0}, glyphs), Font({"b.bdf"}, {8, 1, 0, 0}, glyphs));
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(merged->notes.size(), codes == 10 ? 10u : 11u);
    EXPECT_EQ(merged->notes.back(),
              codes == 10   ? "code 0x0009: kept from a.bdf line 1, left out from b.bdf line 1"
              : codes == 11 ? "... and 1 more code given by two files"
                            : "... and 3 more codes given by two files");
  }
}

// The first font has glyphs 0 and kNoCode, the second 0x8140 and kNoCode.
TEST(MergeFonts, TakesTheDefaultFromTheFirstFontWhoseDefaultCharacterHasAGlyph) {
  using Default = std::pair<std::int32_t, std::int32_t>;  // character, code
  const struct {
    Default first, second, merged;
    std::vector<std::int32_t> codes;
  } cases[] = {
      {{0x20, 0x20}, {0x2121, 0x8140}, {0x2121, 0x8140}, {0, 0x8140, kNoCode}},
      {{0x7F, 0}, {0x2121, 0x8140}, {0x7F, 0}, {0, kNoCode, 0x8140}},
      {{0x20, 0x20}, {0x2122, 0x8141}, {0x20, 0x20}, {0, kNoCode, 0x8140}},  // neither has it
  };
  for (const auto& c : cases) {
    FontModel first = Font({"a.bdf"}, {8, 1, 0, 0}, {{0}, {kNoCode}});
    FontModel second = Font({"b.bdf"}, {8, 1, 0, 0}, {{0x8140}, {kNoCode}});
    std::tie(first.defaultChar, first.defaultCode) = c.first;
    std::tie(second.defaultChar, second.defaultCode) = c.second;
    auto merged = Merge(std::move(first), std::move(second));
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(Default(merged->font.defaultChar.value_or(-2), merged->font.defaultCode), c.merged);
    std::vector<std::int32_t> codes;
    for (const Glyph& glyph : merged->font.glyphs) codes.push_back(glyph.code);
    EXPECT_EQ(codes, c.codes) << c.first.first;
  }
}

TEST(MergeFonts, RefusesACellTooWideFor32Bits) {
  const auto merged = Merge(Font({"a.bdf"}, {8, 8, 2147483000, 0}, {}),
                            Font({"b.bdf"}, {8, 8, -2147483000, 0}, {}));
  ASSERT_FALSE(merged.ok());
  EXPECT_EQ(
      merged.error(),
      (Diagnostic{"b.bdf", 2,
                  "Value out of range at line 2! [FONTBOUNDINGBOX 8 8 -2147483000 0] (with the "
                  "other fonts the cell would be 4294966008 pixels wide)"}));
}

}  // namespace
}  // namespace kelvane
