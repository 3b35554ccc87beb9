// Conversions with options: output code sets, subsets, and several fonts in
// one file.
#include <gtest/gtest.h>

#include "expected_kvn.h"
#include "pipeline/conversion.h"
#include "test_support.h"

namespace kelvane::test {
namespace {

using namespace std::string_literals;

// A font of `charset` (REGISTRY-ENCODING) in a `box` cell whose glyphs, code by
// code, fill their first row with the byte given.
std::string Bdf(const std::string& box, const std::string& charset,
                const std::vector<std::pair<int, int>>& glyphs, int defaultChar = -1,
                int advance = 8) {
  const auto dash = charset.find('-');
  std::string text = "STARTFONT 2.1\nFONTBOUNDINGBOX " + box + "\nCHARSET_REGISTRY \"" +
                     charset.substr(0, dash) + "\"\nCHARSET_ENCODING \"" +
                     charset.substr(dash + 1) + "\"\n";
  if (defaultChar >= 0) text += "DEFAULT_CHAR " + std::to_string(defaultChar) + "\n";
  for (const auto& [code, byte] : glyphs) {
    char row[8];
    std::snprintf(row, sizeof row, "%02X", byte);
    text += "STARTCHAR g\nENCODING " + std::to_string(code) + "\nDWIDTH " +
            std::to_string(advance) + " 0\nBITMAP\n" + row + "\nENDCHAR\n";
  }
  return text + "ENDFONT\n";
}

Result<ConversionSummary> ConvertIn(const TempDir& dir, std::vector<std::string> inputs,
                                    ConversionOptions options = {}) {
  for (std::string& input : inputs) input = dir / input;
  return Converter().Convert({inputs, dir / "out.kvn", InputPolicy::kFilesAndPipes, options});
}

TEST(Convert, MapsAUnicodeFontIntoShiftJis) {
  TempDir dir;
  // あ, the wave dash as Linux fonts have it, ｱ, A, and U+FFFD as the default.
  WriteBytes(dir / "u.bdf",
             Bdf("8 1 0 0", "ISO10646-1",
                 {{0x41, 1}, {0xFF71, 2}, {0x3042, 3}, {0x301C, 4}, {0xFFFD, 5}}, 0xFFFD));
  ConversionOptions options;
  options.charset = "shift_jis";
  const auto summary = ConvertIn(dir, {"u.bdf"}, options);
  ASSERT_TRUE(summary.ok()) << summary.error().text;
  EXPECT_EQ(ReadBytes(dir / "out.kvn"),
            "\x05\x00\x04\x00\x04\x00\x08\x01\x01"         // 5 glyphs, 4 ranges, default 4, 8x1
            "\x41\x00\x41\x00\x41\x00"                     // A
            "\xB1\x00\xB1\x00\xB0\x00"                     // ｱ
            "\x60\x81\x60\x81\x5E\x81"                     // 〜 at 0x8160
            "\xA0\x82\xA0\x82\x9D\x82"                     // あ
            "\x08\x01\x08\x02\x08\x04\x08\x03\x08\x05"s);  // U+FFFD last, with no code
}

TEST(Convert, GivesAJisX0208FontTheSameBytesWithItsOwnCodeSet) {
  TempDir dir;
  fs::copy(KELVANE_SOURCE_DIR "/examples/kana16.bdf", dir / "k.bdf");
  ASSERT_TRUE(ConvertIn(dir, {"k.bdf"}).ok());
  const std::string plain = ReadBytes(dir / "out.kvn");
  ConversionOptions options;
  options.charset = "jisx0208";
  options.table = "jis";
  ASSERT_TRUE(ConvertIn(dir, {"k.bdf"}, options).ok());
  EXPECT_EQ(ReadBytes(dir / "out.kvn"), plain);
}

TEST(Convert, MergesFontsOnTheirBaselineTheFirstWinningACode) {
  TempDir dir;
  // A 6x12 half-width font and a 12x12 full-width one, both 2 pixels below the
  // baseline; yen.bdf's 0x5C loses to the half-width one's.
  WriteBytes(dir / "half.bdf",
             Bdf("6 12 0 -2", "JISX0201.1976-0", {{0x5C, 0xFC}, {0xB1, 0x84}}, -1, 6));
  WriteBytes(dir / "full.bdf", Bdf("12 12 0 -2", "JISX0208.1983-0", {{0x2121, 0xFF}}, 0x2121, 12));
  WriteBytes(dir / "yen.bdf", Bdf("12 12 0 -2", "JISX0201.1976-0", {{0x5C, 0x0F}}));
  const auto summary = ConvertIn(dir, {"half.bdf", "full.bdf", "yen.bdf"});
  ASSERT_TRUE(summary.ok()) << summary.error().text;
  std::vector<int> half(24), full(24), yen(24);
  half[0] = 0x84, full[0] = 0xFF, yen[0] = 0xFC;
  EXPECT_EQ(ReadBytes(dir / "out.kvn"),
            ExpectedKvn(12, 12, 0x8140, {{0x5C, 6, yen}, {0xB1, 6, half}, {0x8140, 12, full}}));
  ASSERT_EQ(summary->notes.size(), 1u);
  EXPECT_NE(summary->notes[0].find("0x005C"), std::string::npos) << summary->notes[0];
}

TEST(Convert, KeepsASubsetAndReportsWhatItCannotKeep) {
  TempDir dir;
  WriteBytes(dir / "k.bdf", Bdf("8 1 0 0", "JISX0208.1983-0",
                                {{0x2121, 1}, {0x2422, 2}, {0x2424, 3}, {0x2141, 4}}, 0x2121));
  ConversionOptions options;
  options.chars = {{"menu.txt", "あ〜\n漢\n"}};
  options.codes = "0x82A2";
  const auto summary = ConvertIn(dir, {"k.bdf"}, options);
  ASSERT_TRUE(summary.ok()) << summary.error().text;
  EXPECT_EQ(ReadBytes(dir / "out.kvn"),
            ExpectedKvn(8, 1, 0x8140,
                        {{0x8140, 8, {1}}, {0x8160, 8, {4}}, {0x82A0, 8, {2}}, {0x82A2, 8, {3}}}));
  ASSERT_EQ(summary->warnings.size(), 1u);
  EXPECT_EQ(summary->warnings[0].text, "1 character of menu.txt has no glyph in the font");
}

}  // namespace
}  // namespace kelvane::test
