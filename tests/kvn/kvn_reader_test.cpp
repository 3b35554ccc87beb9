// The device reader: every glyph of a generated font found as the
// encoder wrote it, each refusal of a damaged file in the order of the checks,
// the unsorted ranges of earlier writers, text decoded from Shift_JIS and
// UTF-8, and text measured and drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "expected_kvn.h"
#include "kvn/kvn_encoder.h"
#include "kvn_reader.h"

namespace kelvane::kvn {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The glyph `code` finds, or -1.
int Find(const kvn_font& font, std::uint32_t code) {
  std::uint16_t index = 0;
  return kvn_lookup(&font, code, &index) ? index : -1;
}

// Every code finds exactly the model's glyph with that code, by binary search
// and by scanning alike, and the default index names the model's default glyph.
void ExpectReadsAsModel(const Bytes& bytes, const FontModel& model) {
  kvn_font font;
  ASSERT_EQ(kvn_open(&font, bytes.data(), bytes.size()), KVN_OK);
  ASSERT_EQ(font.glyph_count, model.glyphs.size());
  EXPECT_EQ(font.ranges_ascend, 1);
  kvn_font scanning = font;
  scanning.ranges_ascend = 0;
  const auto sameGlyph = [&](std::uint16_t index, const Glyph& glyph) {
    const kvn_glyph read = kvn_glyph_at(&font, index);
    const auto bitmap = model.bitmap(glyph);
    return read.advance == glyph.advance && std::equal(bitmap.begin(), bitmap.end(), read.bitmap);
  };
  std::vector<const Glyph*> byCode(65536);
  for (const Glyph& glyph : model.glyphs)
    if (glyph.code != kNoCode) byCode[glyph.code] = &glyph;
  for (std::uint32_t code = 0; code < 65536; ++code) {
    const int index = Find(font, code);
    ASSERT_EQ(Find(scanning, code), index) << code;
    const Glyph* want = byCode[code];
    ASSERT_TRUE(want ? index >= 0 && sameGlyph(static_cast<std::uint16_t>(index), *want)
                     : index == -1)
        << code;
  }
  if (model.defaultCode != kNoCode && byCode[model.defaultCode]) {
    EXPECT_TRUE(sameGlyph(font.default_index, *byCode[model.defaultCode]));
  }
}

// 20,000 glyphs from code 0 to 65535 in some 2,900 ranges, each bitmap and
// advance telling its code.
TEST(KvnReader, FindsEveryGlyphOfALargeFontWithGaps) {
  std::vector<test::GlyphData> glyphs;
  for (int k = 0, code = 0; k < 19999; ++k, code += k % 7 == 0 ? 2 + k % 5 : 1)
    glyphs.push_back({code, code % 251, {code & 0xFF, code >> 8, k & 0xFF, k >> 8, 0x5A}});
  glyphs.push_back({65535, 9, {0xFF, 0xFF}});
  const FontModel model = test::ModelOf(12, 10, glyphs[1234].code, glyphs);
  const auto bytes = EncodeKvn(model);
  ASSERT_TRUE(bytes.ok());
  ASSERT_GT(bytes->at(2) | bytes->at(3) << 8, 2800);  // the range count
  ExpectReadsAsModel(*bytes, model);
}

// Three 10 x 2 glyphs (4 bitmap bytes) at 0x41, 0x42 and 0x50 in two ranges,
// the default 0x42: 36 bytes.
Bytes SmallFont() {
  const auto bytes = EncodeKvn(test::ModelOf(
      10, 2, 0x42, {{0x41, 5, {1, 2, 3, 4}}, {0x42, 6, {5, 6, 7, 8}}, {0x50, 7, {9, 10, 11, 12}}}));
  EXPECT_TRUE(bytes.ok() && bytes->size() == 36u);
  return bytes.ok() ? *bytes : Bytes();
}

void SetWord(Bytes& bytes, std::size_t at, int value) {
  bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

TEST(KvnReader, RefusesEachDamageWithItsOwnStatusInOrder) {
  // Ranges start at 9 and 15; words: glyphCount 0, rangeCount 2, defaultIndex 4.
  const struct {
    const char* name;
    std::function<void(Bytes&)> damage;
    kvn_status status;
  } cases[] = {
      {"bytes after the data", [](Bytes& b) { b.insert(b.end(), 7, 0xEE); }, KVN_OK},
      {"eight bytes", [](Bytes& b) { b.resize(8); }, KVN_SHORTER_THAN_HEADER},
      {"zero height, cut", [](Bytes& b) { b[7] = 0, b.resize(9); }, KVN_EMPTY_CELL},
      {"glyph bytes of width / 8, cut", [](Bytes& b) { b[8] = 2, b.resize(20); },
       KVN_GLYPH_BYTES_MISMATCH},
      {"last byte cut", [](Bytes& b) { b.resize(35); }, KVN_SHORTER_THAN_COUNTS},
      {"a glyph more", [](Bytes& b) { SetWord(b, 0, 4); }, KVN_SHORTER_THAN_COUNTS},
      {"reversed range", [](Bytes& b) { SetWord(b, 15, 0x51); }, KVN_RANGE_REVERSED},
      {"range past the glyphs", [](Bytes& b) { SetWord(b, 17, 0x51); }, KVN_RANGE_OUTSIDE_GLYPHS},
      {"delta above first, last within the glyphs", [](Bytes& b) { SetWord(b, 13, 0x42); },
       KVN_RANGE_OUTSIDE_GLYPHS},
      {"outside range before a reversed one",
       [](Bytes& b) { SetWord(b, 11, 0x44), SetWord(b, 15, 0x51); }, KVN_RANGE_OUTSIDE_GLYPHS},
      {"reversed range and default past the glyphs",
       [](Bytes& b) { SetWord(b, 15, 0x51), SetWord(b, 4, 3); }, KVN_RANGE_REVERSED},
      {"default past the glyphs", [](Bytes& b) { SetWord(b, 4, 3); }, KVN_DEFAULT_OUTSIDE_GLYPHS},
  };
  for (const auto& c : cases) {
    Bytes bytes = SmallFont();
    c.damage(bytes);
    kvn_font font;
    std::memset(&font, 0xAB, sizeof font);
    EXPECT_EQ(kvn_open(&font, bytes.data(), bytes.size()), c.status) << c.name;
    EXPECT_EQ(Find(font, 0x50), c.status == KVN_OK ? 2 : -1) << c.name;
  }
}

// A font of 8 x 1 glyphs with these ranges; glyph k has advance k + 1.
Bytes FontWithRanges(const std::vector<kvn_range>& ranges, int glyphCount) {
  Bytes bytes(9);
  SetWord(bytes, 0, glyphCount);
  SetWord(bytes, 2, static_cast<int>(ranges.size()));
  bytes[6] = 8, bytes[7] = 1, bytes[8] = 1;
  for (const kvn_range& r : ranges)
    for (const int word : {r.first_code, r.last_code, r.index_delta})
      bytes.insert(bytes.end(), {std::uint8_t(word & 0xFF), std::uint8_t(word >> 8)});
  for (int k = 0; k < glyphCount; ++k) bytes.insert(bytes.end(), {std::uint8_t(k + 1), 0xA5});
  return bytes;
}

// Earlier versions kept the source font's order: ranges that descend, overlap
// or repeat a code. They are scanned, and the first range holding a code wins.
TEST(KvnReader, ScansRangesThatDoNotAscendAndTakesTheFirstMatch) {
  const struct {
    std::vector<kvn_range> ranges;
    std::vector<std::pair<int, int>> finds;  // code, glyph
  } cases[] = {
      {{{66, 66, 66}, {65, 65, 64}, {65, 65, 63}}, {{66, 0}, {65, 1}, {64, -1}, {67, -1}}},
      {{{65, 70, 65}, {66, 66, 63}}, {{66, 1}, {70, 5}}},
  };
  for (const auto& c : cases) {
    const Bytes bytes = FontWithRanges(c.ranges, 6);
    kvn_font font;
    ASSERT_EQ(kvn_open(&font, bytes.data(), bytes.size()), KVN_OK);
    EXPECT_EQ(font.ranges_ascend, 0);
    for (const auto& [code, glyph] : c.finds) EXPECT_EQ(Find(font, code), glyph) << code;
    EXPECT_EQ(kvn_glyph_at(&font, static_cast<std::uint16_t>(Find(font, 66))).advance,
              c.finds[0].second + 1);
  }
}

// A lead byte takes the next byte only when it can trail it (0x40-0x7E,
// 0x80-0xFC); any other byte after it is a character of its own.
TEST(KvnNextSjis, SplitsTextIntoCodes) {
  using namespace std::string_literals;
  const struct {
    std::string text;
    std::vector<std::uint16_t> codes;
  } cases[] = {
      {"A\xB1\xDF\x80\xA0", {0x41, 0xB1, 0xDF, 0x80, 0xA0}},                   // one-byte codes
      {"\x81\x40\x9F\x7E\xE0\x80\xFC\xFC", {0x8140, 0x9F7E, 0xE080, 0xFCFC}},  // the edges
      {"\x82\nA\x81\0B"s, {0x82, 0x0A, 0x41, 0x81, 0x00, 0x42}},               // a line end, a NUL
      // 0x3F, 0x7F, 0xFD and 0xFF after a lead byte
      {"\x88\x3F\xE0\x7F\x9F\xFD\xFC\xFF", {0x88, 0x3F, 0xE0, 0x7F, 0x9F, 0xFD, 0xFC, 0xFF}},
      {"A\x81", {0x41, 0x81}},  // a lead byte that ends the text
  };
  for (const auto& c : cases) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(c.text.data());
    std::vector<std::uint16_t> codes;
    std::size_t at = 0;
    std::uint16_t code = 0;
    while (const std::size_t used = kvn_next_sjis(text + at, c.text.size() - at, &code)) {
      ASSERT_LE(used, c.text.size() - at);
      codes.push_back(code);
      at += used;
    }
    EXPECT_EQ(codes, c.codes) << testing::PrintToString(c.text);
  }
}

TEST(KvnDecoders, ShiftJisDecodesAsNextSjisAndEachStopsAtTheEnd) {
  for (unsigned pair = 0; pair < 0x10000; ++pair) {
    const std::uint8_t text[2] = {std::uint8_t(pair >> 8), std::uint8_t(pair & 0xFF)};
    for (const std::size_t length : {std::size_t{1}, std::size_t{2}}) {
      std::uint16_t code = 0;
      std::uint32_t wide = 0;
      const std::size_t used = kvn_next_sjis(text, length, &code);
      ASSERT_EQ(kvn_decode_sjis(text, length, &wide), used) << pair;
      ASSERT_EQ(wide, code) << pair;
    }
  }
  for (const kvn_decoder decode : {kvn_decode_sjis, kvn_decode_utf8, kvn_decode_byte}) {
    std::uint32_t code = 7;
    EXPECT_EQ(decode(reinterpret_cast<const std::uint8_t*>("A"), 0, &code), 0u);
    EXPECT_EQ(code, 7u);
  }
}

// Malformed UTF-8 gives U+FFFD for the bytes a web browser replaces: one for a
// byte that cannot start a sequence, one for the longest start of a valid one.
TEST(KvnDecodeUtf8, DecodesAndReplacesAsBrowsersDo) {
  constexpr std::uint32_t R = 0xFFFD;
  const struct {
    std::string text;
    std::vector<std::pair<std::uint32_t, std::size_t>> steps;  // code, bytes used
  } cases[] = {
      {"A\x7F\xC2\x80\xDF\xBF", {{0x41, 1}, {0x7F, 1}, {0x80, 2}, {0x7FF, 2}}},
      {"\xE0\xA0\x80\xE3\x81\x82\xEF\xBF\xBF", {{0x800, 3}, {0x3042, 3}, {0xFFFF, 3}}},
      {"\xED\x9F\xBF\xEE\x80\x80", {{0xD7FF, 3}, {0xE000, 3}}},  // beside the surrogates
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", {{0x10000, 4}, {0x10FFFF, 4}}},
      {"\xE3\x81\x41", {{R, 2}, {0x41, 1}}},        // cut short by a character
      {"\xE3\xE3\x81\x82", {{R, 1}, {0x3042, 3}}},  // cut short by a lead byte
      {"\xF1\x80\x80\xC2", {{R, 3}, {R, 1}}},       // then one cut short by the end
      {"\x80\xBF\xFF\xF5\x80", {{R, 1}, {R, 1}, {R, 1}, {R, 1}, {R, 1}}},  // no lead
      {"\xC0\xAF\xC1\xBF", {{R, 1}, {R, 1}, {R, 1}, {R, 1}}},              // overlong
      {"\xE0\x80\xAF", {{R, 1}, {R, 1}, {R, 1}}},
      {"\xF0\x80\x80\xAF", {{R, 1}, {R, 1}, {R, 1}, {R, 1}}},
      {"\xED\xA0\x80", {{R, 1}, {R, 1}, {R, 1}}},              // a surrogate
      {"\xF4\x90\x80\x80", {{R, 1}, {R, 1}, {R, 1}, {R, 1}}},  // past U+10FFFF
  };
  for (const auto& c : cases) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(c.text.data());
    std::vector<std::pair<std::uint32_t, std::size_t>> steps;
    std::uint32_t code = 0;
    for (std::size_t at = 0, used; (used = kvn_decode_utf8(text + at, c.text.size() - at, &code));
         at += used) {
      ASSERT_LE(used, c.text.size() - at);
      steps.emplace_back(code, used);
    }
    EXPECT_EQ(steps, c.steps) << testing::PrintToString(c.text);
  }
}

// Glyphs of a 4 x 2 cell: 'A' and あ (at its Unicode and its Shift_JIS code),
// whose ink reaches past its advance of 2, and the default glyph at '~'.
Bytes DrawingFont() {
  const auto bytes = EncodeKvn(test::ModelOf(4, 2, 0x7E,
                                             {{0x41, 3, {0xA0, 0x40}},    // #.#.  .#..
                                              {0x3042, 2, {0xC0, 0x90}},  // ##..  #..#
                                              {0x82A0, 2, {0xC0, 0x90}},
                                              {0x7E, 4, {0x90, 0xF0}}}));  // #..#  ####
  EXPECT_TRUE(bytes.ok());
  return bytes.ok() ? *bytes : Bytes();
}

TEST(KvnDrawText, PlotsTheInkOfEachGlyphAdvanceByAdvance) {
  const Bytes bytes = DrawingFont();
  kvn_font font;
  ASSERT_EQ(kvn_open(&font, bytes.data(), bytes.size()), KVN_OK);
  const struct {
    const char* text;
    kvn_decoder decode;
    int x, y;
    std::size_t width;
    std::vector<std::string> ink;  // (x, y) is the top left corner
  } cases[] = {
      // A, あ over the default glyph of €, and あ's ink past the end of the text
      {"Aあ€あ", kvn_decode_utf8, 10, 5, 11, {"#.####..###", ".#.#.#####..#"}},
      {"\x82\xA0\x41\x80", kvn_decode_sjis, -2, 0, 9, {"###.##..#", "#..#.####"}},
      {"\x82\xA0\x41", kvn_decode_byte, 0, -1, 11, {"#..##..##.#", "########.#."}},  // two codes
                                                                                     // lacked
      {"", kvn_decode_utf8, 0, 0, 0, {}},
  };
  for (const auto& c : cases) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(c.text);
    std::set<std::pair<int, int>> plotted, expected;
    kvn_draw_text(
        &font, text, std::strlen(c.text), c.decode, c.x, c.y,
        [](void* into, int x, int y) {
          static_cast<std::set<std::pair<int, int>>*>(into)->emplace(x, y);
        },
        &plotted);
    for (std::size_t row = 0; row < c.ink.size(); ++row)
      for (std::size_t column = 0; column < c.ink[row].size(); ++column)
        if (c.ink[row][column] == '#') expected.emplace(c.x + int(column), c.y + int(row));
    EXPECT_EQ(plotted, expected) << c.text;
    EXPECT_EQ(kvn_text_width(&font, text, std::strlen(c.text), c.decode), c.width) << c.text;
  }
}

}  // namespace
}  // namespace kelvane::kvn
