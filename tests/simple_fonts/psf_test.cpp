// The PSF reader, versions 1 and 2: glyphs by index without a Unicode table,
// by code point with one, each malformed header or table refused, and the
// signatures the pipeline tells files by.
#include <gtest/gtest.h>

#include "simple_fonts_test_support.h"

namespace kelvane::simple {
namespace {

Bytes Psf1(std::uint8_t mode, std::uint8_t height, const Bytes& glyphs, const Bytes& table = {}) {
  Bytes bytes{0x36, 0x04, mode, height};
  Append(bytes, glyphs);
  Append(bytes, table);
  return bytes;
}

// A PSF1 table: these values for the first glyphs, then FFFF for each of the others.
Bytes Psf1Table(const std::vector<std::uint32_t>& values, int glyphsGiven) {
  Bytes table;
  for (const std::uint32_t value : values) AppendLe16(table, value);
  for (int i = glyphsGiven; i < 256; ++i) AppendLe16(table, 0xFFFF);
  return table;
}

struct Psf2Header {
  std::uint32_t version = 0, headerSize = 32, flags = 0, count = 1, glyphBytes = 1, height = 1,
                width = 8;
};

Bytes Psf2(const Psf2Header& h, const Bytes& glyphs, const Bytes& table = {}) {
  Bytes bytes{0x72, 0xB5, 0x4A, 0x86};
  for (const std::uint32_t field :
       {h.version, h.headerSize, h.flags, h.count, h.glyphBytes, h.height, h.width}) {
    AppendLe16(bytes, field & 0xFFFF);
    AppendLe16(bytes, field >> 16);
  }
  bytes.resize(std::max<std::size_t>(bytes.size(), h.headerSize));
  Append(bytes, glyphs);
  Append(bytes, table);
  return bytes;
}

Bytes Ramp(std::size_t count) {  // glyph bytes 00, 01, 02, ...
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return bytes;
}

Result<FontModel> Read(const Bytes& bytes) { return ReadPsf(bytes, "c.psf", kAtMost32Wide); }

TEST(ReadPsf, CodesAreGlyphIndexesWithoutATable) {
  const struct {
    Bytes bytes;
    std::size_t count;
    std::string first, last, boxLine;
  } cases[] = {
      {Psf1(0, 2, Ramp(512)), 256, "0000 8 0001", "00FF 8 FEFF", "PSF1 8x2"},
      {Psf1(1, 1, Ramp(512)), 512, "0000 8 00", "01FF 8 FF", "PSF1 8x1"},
      // 10 wide, a longer header; bits right of the width are not pixels.
      {Psf2({.headerSize = 36, .count = 2, .glyphBytes = 4, .height = 2, .width = 10},
            {0xFF, 0xFF, 0x80, 0x40, 0, 0x3F, 0, 0}),
       2, "0000 10 FFC08040", "0001 10 00000000", "PSF2 10x2"},
  };
  for (const auto& c : cases) {
    const auto model = Read(c.bytes);
    ASSERT_TRUE(model.ok()) << c.boxLine << ": " << model.error().text;
    const Lines glyphs = DescribeGlyphs(*model);
    ASSERT_EQ(glyphs.size(), c.count) << c.boxLine;
    EXPECT_EQ(glyphs.front(), c.first) << c.boxLine;
    EXPECT_EQ(glyphs.back(), c.last) << c.boxLine;
    EXPECT_EQ(model->boxLine, c.boxLine);
    EXPECT_EQ(model->box, (FontBox{model->box.width, model->box.height, 0, 0}));
    EXPECT_EQ(model->registry, "") << c.boxLine;
  }
}

TEST(ReadPsf, EachCodePointOfTheTableGetsItsGlyph) {
  // Glyph 0: A and Alpha (in PSF2, A twice); 1: nothing; 2: B and the sequence
  // A + acute; 3: A again; 4: あ (and in PSF2 an emoji).
  const Warning sequences{"1 sequence of the Unicode table was left out",
                          "sequences left out: glyph 2 (U+0041 U+0301)"};
  const Warning givenTwice{"1 code the Unicode table gives to a second glyph keeps the first",
                           "given to a second glyph: U+0041 (glyph 0 kept, glyph 3 left out)"};
  const struct {
    Bytes bytes;
    Lines glyphs;
    std::vector<Warning> warnings;
  } cases[] = {
      {Psf1(0x04, 1, Ramp(256),  // mode: with sequences, which implies a table
            Psf1Table({0x41, 0x391, 0xFFFF, 0xFFFF, 0x42, 0xFFFE, 0x41, 0x301, 0xFFFF, 0x41, 0xFFFF,
                       0x3042, 0xFFFF},
                      5)),
       {"0041 8 00", "0391 8 00", "0042 8 02", "3042 8 04"},
       {sequences,
        givenTwice,
        {"253 glyphs without a code in the Unicode table were left out",
         "without a code: glyph 1, glyph 3, glyph 5, glyph 6, glyph 7, ..."}}},
      {Psf2({.flags = 1, .count = 5}, Ramp(5),
            {0x41, 0xCE, 0x91, 0x41, 0xFF, 0xFF, 0x42, 0xFE, 0x41, 0xCC, 0x81, 0xFF,
             0x41, 0xFF, 0xE3, 0x81, 0x82, 0xF0, 0x9F, 0x98, 0x80, 0xFE, 0xFF}),
       {"0041 8 00", "0391 8 00", "0042 8 02", "3042 8 04", "1F600 8 04"},
       {sequences,
        givenTwice,
        {"2 glyphs without a code in the Unicode table were left out",
         "without a code: glyph 1, glyph 3"}}},
  };
  for (const auto& c : cases) {
    const auto model = Read(c.bytes);
    ASSERT_TRUE(model.ok()) << model.error().text;
    EXPECT_EQ(DescribeGlyphs(*model), c.glyphs);
    EXPECT_EQ(model->warnings, c.warnings);
    EXPECT_EQ(model->registry + "-" + model->encoding, "ISO10646-1");
    EXPECT_EQ(model->glyphs[0].bitmap, model->glyphs[1].bitmap);  // one glyph, two codes
  }
}

TEST(ReadPsf, RefusesMalformedFiles) {
  const Bytes psf1 = Psf1(0x02, 1, Bytes(256), Psf1Table({0x41, 0xFFFF}, 1));
  const Bytes psf2 = Psf2({.flags = 1}, {0xFF}, {0x41, 0xFF});
  const auto cut = [](const Bytes& bytes, std::size_t size) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
  };
  const std::string shortBy = "the PSF file is cut short: its header ";
  const std::string tableShort =
      "the PSF Unicode table is cut short: it ends in the entry of glyph ";
  const std::string notUtf8 =
      "the PSF2 Unicode table's entry of glyph 0 holds bytes that are not UTF-8";
  const std::pair<Bytes, std::string> cases[] = {
      {{0x36, 0x05, 0, 1}, "not a PSF font"},
      {cut(psf1, 3), shortBy + "takes 4 bytes; it has 3"},
      {Psf1(0x08, 1, Bytes(256)),
       "a PSF1 mode byte of 0x08 (only its bits 0x01, 0x02 and 0x04 mean anything)"},
      {Psf1(0, 0, {}), "a PSF1 cell of 8x0 pixels"},
      {cut(psf1, 259), shortBy + "and 256 glyphs of 1 byte take 260 bytes; it has 259"},
      {cut(psf1, psf1.size() - 1), tableShort + "255 of 256"},
      {Psf1(0x02, 1, Bytes(256), Psf1Table({0xFFFE, 0x41, 0xFFFF}, 1)),
       "the PSF Unicode table gives no glyph a single code point"},
      {Psf2({.version = 1}, {0}), "PSF2 version 1; version 0 is known"},
      {Psf2({.headerSize = 31}, {0}), "a PSF2 header of 31 bytes; it has 32 at least"},
      {cut(Psf2({.headerSize = 40}, {0}), 39), shortBy + "takes 40 bytes; it has 39"},
      {Psf2({.width = 0}, {0}), "a PSF2 cell of 0x1 pixels"},
      {Psf2({.glyphBytes = 2}, {0, 0}),
       "PSF2 glyphs of 2 bytes, where a cell of 8x1 pixels takes 1"},
      {Psf2({.count = 0}, {}), "no glyphs"},
      {Psf2({.count = 0xFFFFFFFF}, {0}),
       shortBy + "and 4294967295 glyphs of 1 byte take 4294967327 bytes; it has 33"},
      {Psf2({.flags = 1}, {0}, {0xE3, 0x81}), tableShort + "0 of 1"},
      {Psf2({.flags = 1}, {0}, {0xC0, 0x80, 0xFF}), notUtf8},              // overlong
      {Psf2({.flags = 1}, {0}, {0xED, 0xA0, 0x80, 0xFF}), notUtf8},        // a surrogate
      {Psf2({.flags = 1}, {0}, {0xF4, 0x90, 0x80, 0x80, 0xFF}), notUtf8},  // above U+10FFFF
      {Psf2({.glyphBytes = 5, .width = 40}, Bytes(5)),
       "Value out of range! [PSF2 40x1] (too wide)"}};
  for (const auto& [bytes, reason] : cases) {
    const auto model = Read(bytes);
    ASSERT_FALSE(model.ok()) << reason;
    EXPECT_EQ(model.error(),
              (Diagnostic{"c.psf", 0,
                          reason.starts_with("Value") ? reason
                                                      : "File is not support ! (" + reason + ")"}));
  }
  // Every byte of these files is needed: each shorter piece is refused.
  for (const Bytes& bytes : {psf1, psf2})
    for (std::size_t size = 0; size < bytes.size(); ++size)
      EXPECT_FALSE(Read(cut(bytes, size)).ok()) << size << " of " << bytes.size();
}

TEST(LooksLike, BinaryFormatsBySignature) {
  const auto text = [](const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); };
  EXPECT_TRUE(LooksLikePsf1(text({0x36, 0x04, 0x02, 0x10})));
  EXPECT_TRUE(LooksLikePsf1(text({0x36, 0x04})));
  // A KVN file of 1,078 glyphs and 3 ranges begins 36 04 03 00.
  EXPECT_FALSE(LooksLikePsf1(text({0x36, 0x04, 0x03, 0x00, 0x00, 0x00, 0x08, 0x10, 0x10})));
  EXPECT_FALSE(LooksLikePsf1(text({0x36, 0x04, 0x08, 0x10})));
  EXPECT_TRUE(LooksLikePsf2(text({0x72, 0xB5, 0x4A, 0x86, 0})));
  EXPECT_FALSE(LooksLikePsf2(text({0x72, 0xB5, 0x4A})));
  EXPECT_TRUE(LooksLikeFontx2("FONTX2MINCHO  "));
  EXPECT_FALSE(LooksLikeFontx2("FONTX1"));
}

}  // namespace
}  // namespace kelvane::simple
