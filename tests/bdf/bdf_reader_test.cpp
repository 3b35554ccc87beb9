// The BDF reader on text held in memory: lines, glyphs and their placement in
// the cell, the properties it keeps, and each refusal with its line.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "bdf/bdf_scan.h"
#include "bdf/line_reader.h"
#include "glyph_text.h"
#include "test_support.h"

namespace kelvane::bdf {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;
using test::DescribeGlyphs;

Result<FontModel> Scan(const std::string& text, const ScanOptions& options = {}) {
  ByteInput input(text);
  LineReaderState state;
  return ScanBdf(input, state, "f.bdf", options);
}

std::string Glyph(const std::string& encoding, const std::string& body = "BITMAP\nFF\n") {
  return "STARTCHAR g\nENCODING " + encoding + "\n" + body + "ENDCHAR\n";
}

const std::string kBox = "FONTBOUNDINGBOX 8 1 0 0\n";

TEST(ReadLine, SplitsOnEveryTerminator) {
  const std::string longLine(5000, 'x');
  const std::pair<std::string, Lines> cases[] = {
      {"LF\nCR\rCRLF\r\nLFCR\n\rNUL\0last"s, {"LF", "CR", "CRLF", "LFCR", "NUL", "last"}},
      {"A\r\rB\n\nC\r\n\r\nD", {"A", "", "B", "", "C", "", "D"}},
      {longLine + "\r\nnext", {longLine.substr(0, kMaxLineLength), "next"}},
  };
  for (const auto& [bytes, expected] : cases) {
    ByteInput input(bytes);
    LineReaderState state;
    Lines lines;
    for (std::string line; !input.AtEnd(); lines.push_back(line)) ReadLine(input, state, line);
    EXPECT_EQ(lines, expected) << testing::PrintToString(bytes.substr(0, 40));
  }
}

TEST(ScanBdf, ReadsGlyphsIntoTheCell) {
  // A glyph's BBX places its rows: top row at cell row (box.y + box.h) - (y + h),
  // left pixel at column x - box.x.
  const std::string placed = "FONTBOUNDINGBOX 8 4 -1 -1\n";
  const std::pair<std::string, Lines> cases[] = {
      {"FONTBOUNDINGBOX 16 5\n" + Glyph("65", "BITMAP\nFF80\nff80\nFF\nFFF\nG0F0\n"),
       {"0041 0 FF80FF80FF00FFFF00F0"}},
      // An empty row, rows past the cell.
      {"FONTBOUNDINGBOX 8 2\n" + Glyph("65", "BITMAP\n\nFF\n81\n") + Glyph("66", "BITMAP\n42\n"),
       {"0041 0 00FF", "0042 0 4200"}},
      {kBox + Glyph("65", "DWIDTH 120 0\nBITMAP\nFF\n") + Glyph("66", "DWIDTH 8\n"),
       {"0041 120 FF", "0042 8 00"}},
      // Unencoded glyphs left out, file order kept, codes up to U+10FFFF.
      {kBox + Glyph("-1 300") + Glyph("66") + Glyph("-1") + Glyph("65", "BITMAP\n0F\n") +
           Glyph("1114111"),
       {"0042 0 FF", "0041 0 0F", "10FFFF 0 FF"}},
      // BBX inside, past right and bottom, past left and top, invalid (ignored).
      {placed + Glyph("65", "BBX 2 2 2 0\nBITMAP\nFF\nFF\n"), {"0041 0 00181800"}},
      {placed + Glyph("65", "BBX 4 2 5 -2\nBITMAP\nF0\nF0\n"), {"0041 0 00000003"}},
      {placed + Glyph("65", "BBX 4 2 -3 2\nBITMAP\nF0\nF0\n"), {"0041 0 C0000000"}},
      {placed + Glyph("65", "BBX 2 x 2 0\nBITMAP\nF0\n"), {"0041 0 F0000000"}}};
  for (const auto& [text, glyphs] : cases) {
    const auto model = Scan(text);
    ASSERT_TRUE(model.ok()) << text << ": " << model.error().text;
    EXPECT_EQ(DescribeGlyphs(*model), glyphs) << text;
  }
}

TEST(ScanBdf, KeepsWhatLaterStagesNeed) {
  const std::string xlfd = "FONT -misc-fixed-medium-r-normal--16-150-75-75-c-160-jisx0208.1983-0\n";
  const std::optional<std::int32_t> none;
  const struct {
    std::string charset;
    std::optional<std::int32_t> defaultChar;
    std::int64_t glyphLine;  // the first glyph's ENCODING line
    std::string text;
  } cases[] = {{"ISO8859-2", none, 5,
                kBox + "CHARSET_REGISTRY \"ISO8859\"\nCHARSET_ENCODING \"2\"\n" + Glyph("65")},
               {"JISX0208.1983-0", 8481, 5, xlfd + kBox + "DEFAULT_CHAR 8481\n" + Glyph("8481")},
               {"ISO8859-", none, 5, xlfd + kBox + "CHARSET_REGISTRY \"ISO8859\"\n" + Glyph("65")},
               {"-", none, 4, "FONT not-an-xlfd-name\n" + kBox + Glyph("65")}};
  for (const auto& c : cases) {
    const auto model = Scan(c.text);
    ASSERT_TRUE(model.ok()) << model.error().text;
    EXPECT_EQ(std::tuple(model->registry + "-" + model->encoding, model->defaultChar,
                         model->glyphs.front().source.line, model->codeField),
              std::tuple(c.charset, c.defaultChar, c.glyphLine, "ENCODING"))
        << c.text;
  }
}

TEST(ScanBdf, WarnsOfPixelsOutsideTheCell) {
  // BBX 3 10 -1 -2 in FONTBOUNDINGBOX 8 8 0 -1: the first row lies above the
  // cell, the last below it, the first column left of it; `hex` replaces one row.
  const auto tall = [](int row, const std::string& hex) {
    std::string body = "BBX 3 10 -1 -2\nBITMAP\n";
    for (int i = 0; i < 10; ++i) body += (i == row ? hex : i == 0 || i == 9 ? "00" : "40") + "\n";
    return body;
  };
  const std::string box = "FONTBOUNDINGBOX 8 8 0 -1\n", low = "BITMAP\n00\nFF\n";
  const auto cut = [](const std::string& glyphs, const std::string& boxLine,
                      const std::string& named) {
    return std::vector<Warning>{{glyphs + " pixels outside " + boxLine + "; those pixels were cut",
                                 "pixels cut: " + named}};
  };
  const struct {
    const char* name;
    std::string text;
    std::vector<Warning> warnings;
  } cases[] = {
      // Bits past a BBX's width are not pixels.
      {"ink inside",
       box + Glyph("65", tall(4, "60")) + Glyph("66", "BBX 3 1 6 0\nBITMAP\nDF\n"),
       {}},
      {"ink above, below, left, right",
       box + Glyph("65", tall(0, "40")) + Glyph("66", tall(9, "40")) + Glyph("67", tall(4, "80")) +
           Glyph("68", "BBX 3 1 6 0\nBITMAP\n20\n"),
       cut("4 glyphs have", "FONTBOUNDINGBOX 8 8 0 -1",
           "line 3 (ENCODING 65), line 18 (ENCODING 66), line 33 (ENCODING 67), line 48 (ENCODING "
           "68)")},
      {"BBX at the top left, wider and taller than the cell",
       kBox + Glyph("65", "BBX 12 2 0 -1\nBITMAP\nFF0F\n00\n") +
           Glyph("66", "BBX 12 2 0 -1\nBITMAP\n00\n01\n") +
           Glyph("67", "BBX 12 1 0 0\nBITMAP\nFF80\n"),
       cut("2 glyphs have", "FONTBOUNDINGBOX 8 1 0 0",
           "line 10 (ENCODING 66), line 17 (ENCODING 67)")},
      {"no BBX: every bit given",
       "FONTBOUNDINGBOX 6 1\n" + Glyph("65", "BITMAP\nFC\n00\n") + Glyph("66", "BITMAP\n02\n") +
           Glyph("67", "BITMAP\n00\n10\n"),
       cut("2 glyphs have", "FONTBOUNDINGBOX 6 1", "line 9 (ENCODING 66), line 14 (ENCODING 67)")},
      {"unencoded glyphs left out",
       kBox + Glyph("-1", "BITMAP\nFF\nFF\n") + Glyph("65", "BITMAP\nFF\n01\n"),
       cut("1 glyph has", "FONTBOUNDINGBOX 8 1 0 0", "line 9 (ENCODING 65)")},
      {"five named",
       kBox + Glyph("1", low) + Glyph("2", low) + Glyph("3", low) + Glyph("4", low) +
           Glyph("5", low) + Glyph("6", low),
       cut("6 glyphs have", "FONTBOUNDINGBOX 8 1 0 0",
           "line 3 (ENCODING 1), line 9 (ENCODING 2), line 15 (ENCODING 3), line 21 (ENCODING 4), "
           "line 27 (ENCODING 5), ...")},
  };
  for (const auto& c : cases) {
    const auto model = Scan(c.text);
    ASSERT_TRUE(model.ok()) << c.name << ": " << model.error().text;
    EXPECT_EQ(model->warnings, c.warnings) << c.name;
  }
}

TEST(ScanBdf, RefusesNamingTheLine) {
  const std::string kA = Glyph("65");
  const auto refuseCell = [](const FontBox& box) {
    return box.width > 16 ? std::optional<std::string>("too wide") : std::nullopt;
  };
  const auto refuseRegistry = [](std::string_view name) {
    return name == "ISO10646" ? std::optional<std::string>("no Unicode") : std::nullopt;
  };
  const ScanOptions options{refuseCell, refuseRegistry, {}};
  const struct {
    std::string text;
    std::int64_t line;
    std::string message;
  } cases[] = {
      // A glyph that lacks its ENDCHAR is refused at the line that came too early.
      {kBox + "STARTCHAR a\nENCODING 65\nBITMAP\nFF\n" + kA, 6,
       "Missing ENDCHAR at line 6! [STARTCHAR g]"},
      {kBox + "ENCODING 65\nDWIDTH 8 0\nENCODING 66\nBITMAP\nENDCHAR\n", 4,
       "Missing ENDCHAR at line 4! [ENCODING 66]"},
      {kBox + "ENCODING 65\nBITMAP\nFF\nENDFONT\n", 5, "Missing ENDCHAR at line 5! [ENDFONT]"},
      {kBox + kA + Glyph("66") + Glyph("65"), 13, "Duplicate code at line 13! [ENCODING 65]"},
      {kBox + Glyph("1114112"), 3,
       "Value out of range at line 3! [ENCODING 1114112] (codes go up to 1114111)"},
      {kBox + Glyph("65", "DWIDTH 256 0\n"), 4, "Value out of range at line 4! [DWIDTH 256 0]"},
      {kBox + Glyph("65", "DWIDTH x\n"), 4, "Invalid number at line 4! [DWIDTH x]"},
      {kBox + Glyph("2147483648"), 3, "Invalid number at line 3! [ENCODING 2147483648]"},
      {kBox + kA + "FONTBOUNDINGBOX 16 1\n" + kA, 7,
       "Cell size changed at line 7! [FONTBOUNDINGBOX 16 1]"},
      {kBox + "ENCODING 65\nBITMAP\nFF\n", 2, "Unexpected end of file at line 2! [ENCODING 65]"},
      {"FONTBOUNDINGBOX 17 1\n" + kA, 1,
       "Value out of range at line 1! [FONTBOUNDINGBOX 17 1] (too wide)"},
      {kBox + "CHARSET_REGISTRY \"ISO10646\"\nENCODING x\n", 2, "no Unicode"},
      {kA, 0,
       "File is not support ! (no FONTBOUNDINGBOX with a width and height before the glyphs)"},
      {kBox + Glyph("-1"), 0, "File is not support ! (no glyphs)"},
  };
  for (const auto& c : cases) {
    const auto model = Scan(c.text, options);
    ASSERT_FALSE(model.ok()) << c.message;
    EXPECT_EQ(model.error(), (Diagnostic{"f.bdf", c.line, c.message}));
  }
}

}  // namespace
}  // namespace kelvane::bdf
