// The FONTX2 reader on files written here: single- and double-byte glyphs,
// Shift_JIS codes turned into JIS ones, and each malformed header refused.
#include <gtest/gtest.h>

#include <utility>

#include "simple_fonts_test_support.h"

namespace kelvane::simple {
namespace {

using Blocks = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// A single-byte file without `blocks`, a double-byte one with them.
Bytes Fontx2(std::uint8_t width, std::uint8_t height, const Bytes& glyphs,
             const std::optional<Blocks>& blocks = std::nullopt) {
  Bytes bytes = FromText("FONTX2TESTFONT");
  Append(bytes, {width, height, blocks ? std::uint8_t{1} : std::uint8_t{0}});
  if (blocks) bytes.push_back(static_cast<std::uint8_t>(blocks->size()));
  for (const auto& [first, last] : blocks.value_or(Blocks{})) {
    AppendLe16(bytes, first);
    AppendLe16(bytes, last);
  }
  Append(bytes, glyphs);
  return bytes;
}

Result<FontModel> Read(const Bytes& bytes) { return ReadFontx2(bytes, "F.FNT", kAtMost32Wide); }

TEST(ReadFontx2, SingleByteFilesHoldEveryByteCode) {
  // 5 pixels wide: glyph n is the rows n, FF; bits right of the width are not pixels.
  Bytes glyphs;
  for (int code = 0; code < 256; ++code) Append(glyphs, {static_cast<std::uint8_t>(code), 0xFF});
  const auto model = Read(Fontx2(5, 2, glyphs));
  ASSERT_TRUE(model.ok()) << model.error().text;
  const Lines described = DescribeGlyphs(*model);
  ASSERT_EQ(described.size(), 256u);
  EXPECT_EQ(described[0x41], "0041 5 40F8");
  EXPECT_EQ(described[0xFF], "00FF 5 F8F8");
  EXPECT_EQ(model->box, (FontBox{5, 2, 0, 0}));  // no baseline: cells meet on their bottom rows
  EXPECT_EQ(model->registry + "-" + model->encoding, "JISX0201.1976-0");
  EXPECT_EQ(model->boxLine, "FONTX2 5x2");
}

TEST(ReadFontx2, DoubleByteFilesGiveJisCodesInBlockOrder) {
  // One block a code; glyph n is the byte n, so a code left out still takes its glyph.
  const std::pair<std::uint32_t, const char*> codes[] = {
      {0x889F, "3021 8 00"},  // 亜
      {0x8140, "2121 8 01"}, {0x817E, "215F 8 02"},
      {0x8180, "2160 8 03"}, {0x819E, "217E 8 04"},
      {0x819F, "2221 8 05"}, {0x81FC, "227E 8 06"},
      {0x81FD, ""},          {0x82A0, "2422 8 08"},  // あ
      {0x9FFC, "5E7E 8 09"}, {0xE040, "5F21 8 0A"},
      {0xEAA4, "7426 8 0B"},                         // 熙, the last of JIS X 0208
      {0xF040, "7F21 8 0C"}, {0xFC4B, "972C 8 0D"},  // user area, IBM extensions
      {0x8000, ""},          {0xA140, ""},
      {0xFD40, ""},          {0x813F, ""}};
  Blocks blocks;
  Bytes glyphs;
  Lines expected;
  for (const auto& [sjis, glyph] : codes) {
    if (*glyph != '\0') expected.push_back(glyph);
    blocks.push_back({sjis, sjis});
    glyphs.push_back(static_cast<std::uint8_t>(glyphs.size()));
  }
  const auto model = Read(Fontx2(8, 1, glyphs, blocks));
  ASSERT_TRUE(model.ok()) << model.error().text;
  EXPECT_EQ(DescribeGlyphs(*model), expected);
  EXPECT_EQ(model->registry + "-" + model->encoding, "JISX0208.1983-0");
  EXPECT_EQ(model->warnings,
            (std::vector<Warning>{
                {"5 glyphs of the code blocks have codes that are not Shift_JIS and were left out",
                 "not Shift_JIS: 0x81FD, 0x8000, 0xA140, 0xFD40, 0x813F"}}));
}

TEST(ReadFontx2, RefusesMalformedFiles) {
  const Bytes valid = Fontx2(16, 1, {1, 2, 3, 4}, Blocks{{0x8140, 0x8141}});
  const auto with = [&](std::size_t at, std::uint8_t value) {
    Bytes bytes = valid;
    bytes[at] = value;
    return bytes;
  };
  const auto cut = [&](std::size_t size) { return Bytes(valid.begin(), valid.begin() + size); };
  const std::string shortBy = "File is not support ! (the FONTX2 file is cut short: its header ";
  const std::pair<Bytes, std::string> cases[] = {
      {with(5, '3'), "File is not support ! (not a FONTX2 font)"},
      {cut(16), shortBy + "takes 17 bytes; it has 16)"},
      {with(14, 0), "File is not support ! (a FONTX2 cell of 0x1 pixels)"},
      {with(16, 2),
       "File is not support ! (FONTX2 code type 2; 0 (single-byte) and 1 "
       "(double-byte) are known)"},
      {cut(17), shortBy + "and block count take 18 bytes; it has 17)"},
      {with(17, 3), shortBy + "and 3 code blocks take 30 bytes; it has 26)"},
      {with(18, 0x42),
       "File is not support ! (FONTX2 code block 1 runs from 0x8142 back to 0x8141)"},
      {Fontx2(16, 1, {}, Blocks{}), "File is not support ! (no glyphs)"},
      {cut(25), shortBy + "and 2 glyphs of 2 bytes take 26 bytes; it has 25)"},
      {Fontx2(8, 1, {0}, Blocks{{0x4141, 0x4141}}),
       "File is not support ! (no glyph has a Shift_JIS code)"},
      {Fontx2(8, 1, {0, 0, 0}, Blocks{{0x8140, 0x8141}, {0x8141, 0x8141}}),
       "Duplicate code! [code 0x8141 in block 2 (0x8141-0x8141)]"},
      {Fontx2(40, 1, Bytes(256 * 5)), "Value out of range! [FONTX2 40x1] (too wide)"},
  };
  for (const auto& [bytes, text] : cases) {
    const auto model = Read(bytes);
    ASSERT_FALSE(model.ok()) << text;
    EXPECT_EQ(model.error(), (Diagnostic{"F.FNT", 0, text}));
  }
  // Every byte of a file is needed: each shorter piece is refused.
  for (std::size_t size = 0; size < valid.size(); ++size)
    EXPECT_FALSE(Read(cut(size)).ok()) << size;
}

}  // namespace
}  // namespace kelvane::simple
