// The KVN encoder: the bytes of a known font, the range rule, and the limits
// of the layout with the line each refusal names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expected_kvn.h"
#include "kvn/kvn_encoder.h"

namespace kelvane::kvn {
namespace {

using namespace std::string_literals;
using test::GlyphData;

std::string Hex(const std::vector<std::uint8_t>& bytes, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count && i < bytes.size(); ++i) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (i > 0) text += ' ';
    text += {kDigits[bytes[i] >> 4], kDigits[bytes[i] & 0xF]};
  }
  return text;
}

// Three 16 x 16 glyphs at Shift_JIS 0x8140, 0x8141 and 0x82A0 with advance 16,
// the first the default: 120 bytes with this header and these ranges.
TEST(EncodeKvn, WritesTheWorkedExample) {
  std::vector<GlyphData> glyphs;
  for (const int code : {0x8140, 0x8141, 0x82A0}) glyphs.push_back({code, 16, {code & 0xFF}});
  const auto bytes = EncodeKvn(test::ModelOf(16, 16, 0x8140, glyphs));
  ASSERT_TRUE(bytes.ok());
  ASSERT_EQ(bytes->size(), 120u);
  EXPECT_EQ(Hex(*bytes, 21), "03 00 02 00 00 00 10 10 20 40 81 41 81 40 81 A0 82 A0 82 9E 82");
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ((*bytes)[21 + k * 33], 16) << k;
    EXPECT_EQ((*bytes)[22 + k * 33], glyphs[k].code & 0xFF) << k;
  }
}

TEST(BuildRanges, OpensARangeWhereCodesLeaveARun) {
  const struct {
    std::vector<std::int32_t> codes;
    std::int32_t defaultCode;
    std::vector<CodeRange> ranges;
    std::int32_t defaultIndex;
  } cases[] = {
      {{32, 33, 35}, 35, {{32, 33, 32}, {35, 35, 33}}, 2},
      {{10, 11, 12, 13, 14, 20}, 20, {{10, 14, 10}, {20, 20, 15}}, 5},
      {{0, 65535}, 99, {{0, 0, 0}, {65535, 65535, 65534}}, 0},
  };
  for (const auto& c : cases) {
    const RangeTable table = BuildRanges(c.codes, c.defaultCode);
    EXPECT_EQ(table.ranges, c.ranges);
    EXPECT_EQ(table.defaultIndex, c.defaultIndex);
  }
}

TEST(PlanKvn, RefusesWhatTheLayoutCannotHoldNamingTheLine) {
  const auto glyphsFrom = [](int first, int count) {
    std::vector<GlyphData> glyphs;
    for (int code = first; code < first + count; ++code) glyphs.push_back({code, 0, {}});
    return glyphs;
  };
  struct Case {
    FontModel model;
    std::string message;
  };
  std::vector<Case> cases;
  cases.push_back({test::ModelOf(8, 1, 0, {{65, 0, {}}, {65536, 0, {}}}),
                   "Value out of range at line 1! [ENCODING 65536] (the code is 65536; codes go "
                   "up to 65535)"});
  cases.push_back({test::ModelOf(1, 1, 0, glyphsFrom(0, 65536)),
                   "Value out of range at line 1! [ENCODING 65535] (a font holds at most 65535 "
                   "glyphs)"});
  cases.push_back({test::ModelOf(61, 40, 0, {{65, 0, {}}}),
                   "Value out of range! [FONTBOUNDINGBOX 61 40 -24 -7] (a glyph needs "
                   "320 bytes; the most is 255)"});
  cases.push_back({test::ModelOf(256, 1, 0, {{65, 0, {}}}),
                   "Value out of range! [FONTBOUNDINGBOX 61 40 -24 -7] (the cell is 256 "
                   "pixels wide; the most is 255)"});
  for (auto& c : cases) {
    c.model.boxLine = "FONTBOUNDINGBOX 61 40 -24 -7";
    const auto front = PlanKvn(c.model);
    ASSERT_FALSE(front.ok()) << c.message;
    EXPECT_EQ(front.error().text, c.message);
    EXPECT_EQ(front.error().file, "test.bdf");
  }
  // The largest values that fit are written as FF FF and FF.
  const auto largest = PlanKvn(test::ModelOf(1, 255, 0, glyphsFrom(0, 65535)));
  ASSERT_TRUE(largest.ok());
  EXPECT_EQ(Hex(largest->bytes, 9), "FF FF 01 00 00 00 01 FF FF");
}

}  // namespace
}  // namespace kelvane::kvn
