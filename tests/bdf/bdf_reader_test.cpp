// The BDF reader on text held in memory: lines, glyphs and their placement in
// the cell, the properties it keeps, and each refusal with its line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bdf/bdf_scan.h"
#include "bdf/glyph_reader.h"
#include "bdf/line_reader.h"
#include "test_support.h"

namespace kelvane::bdf {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

Result<FontModel> Scan(const std::string& text, const ScanOptions& options = {}) {
  ByteInput input(text);
  LineReaderState state;
  return ScanBdf(input, state, "f.bdf", options);
}

// Each glyph as "code advance hex-bytes", in the model's order.
Lines Describe(const FontModel& model) {
  Lines glyphs;
  for (const Glyph& glyph : model.glyphs) {
    std::string text = std::to_string(glyph.code) + " " + std::to_string(glyph.advance) + " ";
    for (const std::uint8_t byte : model.bitmap(glyph)) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02X", byte);
      text += hex;
    }
    glyphs.push_back(text);
  }
  return glyphs;
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
  const struct {
    const char* name;
    std::string text;
    Lines glyphs;
  } cases[] = {
      {"hex rows",
       "FONTBOUNDINGBOX 16 5\n" + Glyph("65", "BITMAP\nFF80\nff80\nFF\nFFF\nG0F0\n"),
       {"65 0 FF80FF80FF00FFFF00F0"}},
      {"empty row, rows past the cell",
       "FONTBOUNDINGBOX 8 2\n" + Glyph("65", "BITMAP\n\nFF\n81\n") + Glyph("66", "BITMAP\n42\n"),
       {"65 0 00FF", "66 0 4200"}},
      {"DWIDTH",
       kBox + Glyph("65", "DWIDTH 120 0\nBITMAP\nFF\n") + Glyph("66", "DWIDTH 8\n"),
       {"65 120 FF", "66 8 00"}},
      {"unencoded glyphs left out",
       kBox + Glyph("-1 300") + Glyph("65") + Glyph("-1"),
       {"65 0 FF"}},
      {"file order kept", kBox + Glyph("66") + Glyph("65", "BITMAP\n0F\n"), {"66 0 FF", "65 0 0F"}},
      {"Unicode codes", kBox + Glyph("1114111") + Glyph("65536"), {"1114111 0 FF", "65536 0 FF"}},
      {"BBX inside", placed + Glyph("65", "BBX 2 2 2 0\nBITMAP\nFF\nFF\n"), {"65 0 00181800"}},
      {"BBX past right, bottom",
       placed + Glyph("65", "BBX 4 2 5 -2\nBITMAP\nF0\nF0\n"),
       {"65 0 00000003"}},
      {"BBX past left and top",
       placed + Glyph("65", "BBX 4 2 -3 2\nBITMAP\nF0\nF0\n"),
       {"65 0 C0000000"}},
      {"invalid BBX ignored", placed + Glyph("65", "BBX 2 x 2 0\nBITMAP\nF0\n"), {"65 0 F0000000"}},
      {"width and height only",
       "FONTBOUNDINGBOX 9 2\n" + Glyph("32", "BITMAP\nFF80\n"),
       {"32 0 FF800000"}},
  };
  for (const auto& c : cases) {
    const auto model = Scan(c.text);
    ASSERT_TRUE(model.ok()) << c.name << ": " << model.error().text;
    EXPECT_EQ(Describe(*model), c.glyphs) << c.name;
  }
}

TEST(ScanBdf, KeepsWhatLaterStagesNeed) {
  const std::string xlfd = "FONT -misc-fixed-medium-r-normal--16-150-75-75-c-160-jisx0208.1983-0\n";
  const struct {
    std::string text;
    std::string registry, encoding;
    std::optional<std::int32_t> defaultChar;
    std::int64_t glyphLine;  // the first glyph's ENCODING line
  } cases[] = {
      {kBox + "CHARSET_REGISTRY \"ISO8859\"\nCHARSET_ENCODING \"2\"\n" + Glyph("65"), "ISO8859",
       "2", std::nullopt, 5},
      {xlfd + kBox + "DEFAULT_CHAR 8481\n" + Glyph("8481"), "JISX0208.1983", "0", 8481, 5},
      {xlfd + kBox + "CHARSET_REGISTRY \"ISO8859\"\n" + Glyph("65"), "ISO8859", "", std::nullopt,
       5},
      {"FONT not-an-xlfd-name\n" + kBox + Glyph("65"), "", "", std::nullopt, 4},
      {"FONT -a-b-c-d-e--1-2-3-4-c-6-cns11643.1992-1\n" + kBox + Glyph("65"), "CNS11643.1992", "1",
       std::nullopt, 4},
  };
  for (const auto& c : cases) {
    const auto model = Scan(c.text);
    ASSERT_TRUE(model.ok()) << model.error().text;
    EXPECT_EQ(model->registry, c.registry) << c.text;
    EXPECT_EQ(model->encoding, c.encoding) << c.text;
    EXPECT_EQ(model->defaultChar, c.defaultChar) << c.text;
    EXPECT_EQ(model->glyphs.front().source.line, c.glyphLine) << c.text;
  }
}

TEST(ScanBdf, RefusesNamingTheLine) {
  const std::string kA = Glyph("65");
  const auto refuseCell = [](const FontBox& box) -> std::optional<std::string> {
    if (box.width > 16) return "too wide";
    return std::nullopt;
  };
  const auto refuseRegistry = [](std::string_view name) -> std::optional<std::string> {
    if (name == "ISO10646") return "no Unicode";
    return std::nullopt;
  };
  const ScanOptions options{refuseCell, refuseRegistry};
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
      // Not a font at all: the reason follows the usual text.
      {"", 0, "File is not support ! (an empty file)"},
      {"\1fcp\x0d\0\0\0"s, 0, "File is not support ! (a PCF font, not BDF; pcf2bdf converts it)"},
      {"\x1f\x8b\x08\0"s, 0, "File is not support ! (gzip-compressed)"},
      {"\x7f"
       "ELF\2\1\1\0"s,
       0, "File is not support ! (binary data, not a BDF font)"},
      {kA, 0,
       "File is not support ! (no FONTBOUNDINGBOX with a width and height before the glyphs)"},
      {kBox + "ENDFONT\n", 0, "File is not support ! (no glyphs)"},
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
