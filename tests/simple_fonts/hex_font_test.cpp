// The Unifont .hex reader: narrow and wide glyphs in one cell, codes past the
// Basic Multilingual Plane left out, and each malformed line refused by number.
#include <gtest/gtest.h>

#include "simple_fonts_test_support.h"

namespace kelvane::simple {
namespace {

const std::string kA = "0041:0000000018242442427E424242420000";  // as Unifont draws it
const std::string kWide = "2610:" + std::string(32, '8') + std::string(32, '1');

Result<FontModel> Read(const std::string& text) {
  return ReadHex(FromText(text), "u.hex", kAtMost32Wide);
}

TEST(ReadHex, ReadsNarrowAndWideGlyphs) {
  const std::string a = "0041 8 0000000018242442427E424242420000";
  std::string left;  // a narrow glyph of 16 rows of FF in a wide cell
  for (int row = 0; row < 16; ++row) left += "FF00";
  const struct {
    std::string text;
    Lines glyphs;
    std::int32_t cellWidth;
    std::vector<std::int64_t> lines;
  } cases[] = {
      {kA, {a}, 8, {1}},
      // A wide glyph widens the cell; narrow ones keep their width at its left.
      {"0042:" + std::string(32, 'f') + "\n" + kWide + "\n",
       {"0042 8 " + left, "2610 16 " + std::string(32, '8') + std::string(32, '1')},
       16,
       {1, 2}},
      // Lines end in CR LF, LF CR or CR; empty lines are passed over but counted.
      {"\r\n" + kA + "\r\n\n\r" + "000043:" + std::string(32, '0') + "\r" +
           "0044:" + std::string(32, 'F'),
       {a, "0043 8 " + std::string(32, '0'), "0044 8 " + std::string(32, 'F')},
       8,
       {2, 4, 5}},
  };
  for (const auto& c : cases) {
    const auto model = Read(c.text);
    ASSERT_TRUE(model.ok()) << c.text << ": " << model.error().text;
    EXPECT_EQ(DescribeGlyphs(*model), c.glyphs) << c.text;
    EXPECT_EQ(model->box, (FontBox{c.cellWidth, 16, 0, -2})) << c.text;
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      EXPECT_EQ(model->glyphs[i].source.line, c.lines[i]) << c.text;
    }
    EXPECT_EQ(model->registry + "-" + model->encoding, "ISO10646-1");
  }
}

TEST(ReadHex, LeavesOutCodesAboveFFFF) {
  std::string text = kA + "\n";
  for (const char* code : {"1F600", "10000", "10FFFF", "1D11E", "20000", "E0001"}) {
    text += std::string(code) + ":" + std::string(32, '0') + "\n";
  }
  const auto model = Read(text);
  ASSERT_TRUE(model.ok()) << model.error().text;
  EXPECT_EQ(model->glyphs.size(), 1u);
  EXPECT_EQ(model->warnings,
            (std::vector<Warning>{{"6 glyphs above U+FFFF were left out",
                                   "left out above U+FFFF: U+1F600 (line 2), U+10000 (line 3), "
                                   "U+10FFFF (line 4), U+1D11E (line 5), U+20000 (line 6), ..."}}));
}

TEST(ReadHex, RefusesOtherLinesByNumber) {
  const std::string code =
      " (a line is a code of 4 to 6 hex digits, ':' and the glyph's 32 or 64 "
      "hex digits)";
  const std::string digits =
      " (a glyph is 32 hex digits (8 pixels wide) or 64 (16 wide) after the code)";
  const std::string x31 = std::string(31, '0');
  const struct {
    std::string text, refusal;
    std::int64_t line;
  } cases[] = {
      {kA + "\n\n0042:" + x31, "Invalid line at line 3! [0042:" + x31 + "]" + digits, 3},
      {"0042:" + x31 + "G", "Invalid line at line 1! [0042:" + x31 + "G]" + digits, 1},
      {"042:" + x31 + "0", "Invalid line at line 1! [042:" + x31 + "0]" + code, 1},
      {"STARTFONT 2.1", "Invalid line at line 1! [STARTFONT 2.1]" + code, 1},
      {kA + "\n" + kA, "Duplicate code at line 2! [" + kA + "]", 2},
      {"110000:" + x31 + "0",
       "Value out of range at line 1! [110000:" + x31 + "0] (codes go up to 10FFFF)", 1},
      {"", "File is not support ! (no glyphs)", 0},
      {"1F600:" + x31 + "0", "File is not support ! (no glyphs up to U+FFFF)", 0},
  };
  for (const auto& c : cases) {
    const auto model = Read(c.text);
    ASSERT_FALSE(model.ok()) << c.refusal;
    EXPECT_EQ(model.error(), (Diagnostic{"u.hex", c.line, c.refusal}));
  }
  const auto wide = ReadHex(FromText(kWide), "u.hex", [](const FontBox&) { return "no room"; });
  ASSERT_FALSE(wide.ok());
  EXPECT_EQ(wide.error().text, "Value out of range! [hex 16x16] (no room)");
  // Cut anywhere but at a line's end, a file is refused (a wide glyph cut
  // after 32 digits is a narrow one).
  const std::string text = kA + "\n" + kWide + "\n";
  for (std::size_t size = 0, a = kA.size(); size <= text.size(); ++size) {
    const bool whole = size == a || size == a + 1 || size == a + 38 || size + 1 >= text.size();
    EXPECT_EQ(Read(text.substr(0, size)).ok(), whole) << size;
  }
}

TEST(LooksLikeHex, TellsGlyphLinesFromOtherText) {
  for (const std::string& hex :
       {kA, "\n" + kA + "\n\n" + kA, kA + "\r\n" + kWide.substr(0, 20), kA.substr(0, 10)}) {
    EXPECT_TRUE(LooksLikeHex(hex)) << hex;
  }
  for (const std::string& other : {kA.substr(0, 4), kA + "\n0042:00\n", std::string("cafe\nbabe\n"),
                                   kA + "\n0042:" + std::string(65, '0'), std::string()}) {
    EXPECT_FALSE(LooksLikeHex(other)) << other;
  }
}

}  // namespace
}  // namespace kelvane::simple
