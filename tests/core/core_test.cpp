// The library: the line reader, the code and path rules, the bytes written for
// each kind of BDF text, and every refusal with its message and an untouched
// directory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/bdf_readers.h"
#include "conversion/charset.h"
#include "tests/core/test_support.h"

namespace kelvane::test {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(ReadLine, SplitsOnEveryTerminator) {
  const std::string longLine(5000, 'x');
  const std::pair<std::string, Lines> cases[] = {
      {"LF\nCR\rCRLF\r\nLFCR\n\rNUL\0last"s, {"LF", "CR", "CRLF", "LFCR", "NUL", "last"}},
      {"A\r\rB\n\nC\r\n\r\nD", {"A", "", "B", "", "C", "", "D"}},
      {"\0\0"s, {"", ""}},
      {longLine + "\r\nnext", {longLine.substr(0, 4096), "next"}},
  };
  for (const auto& [bytes, expected] : cases) {
    ByteInput input(bytes);
    LineReaderState state;
    Lines lines;
    for (std::string line; !input.AtEnd(); lines.push_back(line)) ReadLine(input, state, line);
    EXPECT_EQ(lines, expected) << testing::PrintToString(bytes.substr(0, 40));
  }
}

TEST(JisToSjis, MapsRowCellCodes) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {0x2121, 0x8140}, {0x2422, 0x82A0}, {0x3021, 0x889F}, {0x5E7E, 0x9FFC},
      {0x5F21, 0xE040}, {0x7426, 0xEAA4}, {0x0041, 0x0041}, {-1, 0x701E}};
  for (const auto& [jis, sjis] : cases) EXPECT_EQ(JisToSjis(jis), sjis) << std::hex << jis;
}

TEST(CharsetIdOf, KnowsRegistriesByTheirBeginningInAnyCase) {
  const std::pair<const char*, CharsetId> cases[] = {
      {"ISO8859-1", CHARSET_ISO8859},      {"iso8859", CHARSET_ISO8859},
      {"JISX0201.1976", CHARSET_JISX0201}, {"jisx0208.1983", CHARSET_JISX0208},
      {"ISO10646", CHARSET_UNSUPPORTED},   {"JISX0213", CHARSET_UNSUPPORTED},
      {"ISO885", CHARSET_UNSUPPORTED},     {"", CHARSET_UNSUPPORTED}};
  for (const auto& [name, id] : cases) EXPECT_EQ(CharsetIdOf(name), id) << name;
}

TEST(OutputPathFor, ReplacesTheExtensionOfTheFileNameOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\fonts\\k16.bdf", "C:\\fonts\\k16.kvn"}, {"C:\\a.b\\font", "C:\\a.b\\font.kvn"},
      {"/home/a.b/font", "/home/a.b/font.kvn"},     {"dir/x.y.bdf", "dir/x.y.kvn"},
      {"C:\\f\\name.", "C:\\f\\name.kvn"},          {"font", "font.kvn"}};
  for (const auto& [input, output] : cases) EXPECT_EQ(OutputPathFor(input), output) << input;
}

const std::string kBox = "FONTBOUNDINGBOX 8 1 0 0\n";

std::string Glyph(const std::string& encoding, const std::string& body = "BITMAP\nFF\n") {
  return "STARTCHAR g\nENCODING " + encoding + "\n" + body + "ENDCHAR\n";
}

// FONTBOUNDINGBOX 1 1 and a blank glyph for each code 0 .. count-1.
std::string ManyGlyphs(int count) {
  std::string text = "FONTBOUNDINGBOX 1 1\n";
  for (int code = 0; code < count; ++code)
    text += "ENCODING " + std::to_string(code) + "\nBITMAP\nENDCHAR\n";
  return text;
}

// One glyph, code 65, in an 8 x 4 cell whose box is 8 4 -1 -1: a glyph's top
// row goes to cell row 3 - (y + h), its left pixel to column x + 1.
std::string Placed(const std::string& lines) {
  return "FONTBOUNDINGBOX 8 4 -1 -1\n" + Glyph("65", lines);
}
std::string Cell8x4(int r0, int r1, int r2, int r3) {
  return Kvn(0, 8, 4, {{65, 65, 65}}, {{0, r0, r1, r2, r3}});
}

// The worked example: a 16 x 16 JIS X 0208 font of 8481, 8482 and 9250 in
// which row r of glyph NNxy is 0xxy and r. Appends its records to `records`.
std::string ExampleFont(std::string& records) {
  std::string text =
      "FONTBOUNDINGBOX 16 16 0 -2\nDEFAULT_CHAR 8481\n"
      "CHARSET_REGISTRY \"JISX0208.1983\"\n";
  for (const std::string code : {"8481", "8482", "9250"}) {
    text += "ENCODING " + code + "\nDWIDTH 16 0\nBBX 16 16 0 -2\nBITMAP\n";
    records += '\x10';
    for (int r = 0; r < 16; ++r) {
      text += code.substr(2) + "0" + "0123456789ABCDEF"[r] + "\n";
      records += {static_cast<char>(std::stoi(code.substr(2), nullptr, 16)), static_cast<char>(r)};
    }
    text += "ENDCHAR\n";
  }
  return text;
}

TEST(ConvertFile, WritesTheBytesEachFontDescribes) {
  const std::string jis = "CHARSET_REGISTRY \"JISX0208.1983\"\n", dflt = "DEFAULT_CHAR 8481\n";
  const std::vector<int> ff = {0, 0xFF};
  const std::string mapped =
      Kvn(1, 8, 1, {{0x8141, 0x8141, 0x8141}, {0x8140, 0x8140, 0x813F}}, {ff, ff});
  const std::string sjis = Kvn(0, 8, 1, {{0x8140, 0x8140, 0x8140}}, {ff});
  std::string exampleRecords;
  const std::string example = ExampleFont(exampleRecords);
  // clang-format off
  const struct {
    const char* name;
    std::string text, kvn;
  } cases[] = {
      {"worked example", example, "\x03\x00\x02\x00\x00\x00\x10\x10\x20\x40\x81\x41\x81\x40\x81"
                                  "\xA0\x82\xA0\x82\x9E\x82"s + exampleRecords},
      {"hex rows", "FONTBOUNDINGBOX 16 5\n" + Glyph("65", "BITMAP\nFF80\nff80\nFF\nFFF\nG0F0\n"),
       Kvn(0, 16, 5, {{65, 65, 65}}, {{0, 0xFF, 0x80, 0xFF, 0x80, 0xFF, 0, 0xFF, 0xFF, 0, 0xF0}})},
      {"empty row, rows past the cell",
       "FONTBOUNDINGBOX 8 2\n" + Glyph("65", "BITMAP\n\nFF\n81\n") + Glyph("66", "BITMAP\n42\n"),
       Kvn(0, 8, 2, {{65, 66, 65}}, {{0, 0, 0xFF}, {0, 0x42, 0}})},
      {"DWIDTH", kBox + Glyph("65", "DWIDTH 120 0\nBITMAP\nFF\n") + Glyph("66", "DWIDTH 8\n"),
       Kvn(0, 8, 1, {{65, 66, 65}}, {{120, 0xFF}, {8, 0}})},
      {"ENDCHAR without BITMAP", kBox + Glyph("65", "DWIDTH 5 0\n") + Glyph("66", "BITMAP\nF0\n"),
       Kvn(0, 8, 1, {{65, 66, 65}}, {{5, 0}, {0, 0xF0}})},
      {"unencoded", kBox + Glyph("-1 300") + Glyph("65") + Glyph("-1") + Glyph("66", "BITMAP\n"),
       Kvn(0, 8, 1, {{65, 66, 65}}, {ff, {0, 0}})},
      {"DEFAULT_CHAR first", kBox + dflt + jis + Glyph("8482") + Glyph("8481"), mapped},
      {"DEFAULT_CHAR last", kBox + jis + dflt + Glyph("8482") + Glyph("8481"), mapped},
      {"registry without quotes", kBox + "CHARSET_REGISTRY   JISX0208\n" + Glyph("8481"), sjis},
      {"registry with one quote", kBox + "CHARSET_REGISTRY \"JISX0208.19\n" + Glyph("8481"), sjis},
      {"codes 32 33 35", kBox + "DEFAULT_CHAR 35\n" + Glyph("32") + Glyph("33") + Glyph("35"),
       Kvn(2, 8, 1, {{32, 33, 32}, {35, 35, 33}}, {ff, ff, ff})},
      {"codes 65 65, default absent", kBox + "DEFAULT_CHAR 99999999\n" + Glyph("65") + Glyph("65"),
       Kvn(0, 8, 1, {{65, 65, 65}, {65, 65, 64}}, {ff, ff})},
      {"default at index 5", kBox + "DEFAULT_CHAR 20\n" + Glyph("10") + Glyph("11") + Glyph("12") +
           Glyph("13") + Glyph("14") + Glyph("20"),
       Kvn(5, 8, 1, {{10, 14, 10}, {20, 20, 15}}, {ff, ff, ff, ff, ff, ff})},
      {"codes 0 and 65535", kBox + Glyph("0") + Glyph("65535"),
       Kvn(0, 8, 1, {{0, 0, 0}, {65535, 65535, 65534}}, {ff, ff})},
      {"65535 glyphs", ManyGlyphs(65535), Kvn(0, 1, 1, {{0, 65534, 0}}, {65535, {0, 0}})},
      {"box with width and height only", "FONTBOUNDINGBOX 9 2\n" + Glyph("32", "BITMAP\nFF80\n"),
       Kvn(0, 9, 2, {{32, 32, 32}}, {{0, 0xFF, 0x80, 0, 0}})},
      // Only the box's w pixels of each row are drawn.
      {"BBX inside", Placed("BBX 2 2 2 0\nBITMAP\nFF\nFF\n"), Cell8x4(0, 0x18, 0x18, 0)},
      {"BBX past right, bottom", Placed("BBX 4 2 5 -2\nBITMAP\nF0\nF0\n"), Cell8x4(0, 0, 0, 0x03)},
      {"BBX past left and top", Placed("BBX 4 2 -3 2\nBITMAP\nF0\nF0\n"), Cell8x4(0xC0, 0, 0, 0)},
      {"invalid BBX ignored", Placed("BBX 2 x 2 0\nBITMAP\nF0\n"), Cell8x4(0xF0, 0, 0, 0)},
      {"invalid BBX after a valid one", Placed("BBX 2 2 2 0\nBBX 2 x 2 0\nBITMAP\nFF\nFF\n"),
       Cell8x4(0, 0x18, 0x18, 0)},
      {"box offsets change between glyphs", Placed("BBX 2 2 2 0\nBITMAP\nFF\nFF\n") +
           "FONTBOUNDINGBOX 8 4 0 0\n" + Glyph("66", "BBX 2 2 2 0\nBITMAP\nFF\nFF\n"),
       Kvn(0, 8, 4, {{65, 66, 65}}, {{0, 0, 0x18, 0x18, 0}, {0, 0, 0, 0x30, 0x30}})},
      {"BBX at the top left", Placed("BBX 4 4 -1 -1\nBITMAP\nFF\n81\n"), Cell8x4(0xFF, 0x81, 0, 0)},
  };
  // clang-format on
  for (const auto& c : cases) {
    TempDir dir;
    WriteBytes(dir / "in.bdf", c.text);
    RecordingHost host;
    LineReaderState lineState;
    ConvertFile(dir / "in.bdf", host, lineState);
    EXPECT_EQ(host.events, (std::vector<std::string>{"busy on", "busy off"})) << c.name;
    EXPECT_EQ(ReadBytes(dir / "in.kvn"), c.kvn) << c.name;
  }
}

// Editors often save each glyph cut to its ink with a tight BBX; placed by its
// box it must draw exactly as the same font saved with full-cell boxes.
TEST(ConvertFile, TightBoxesDrawAsFullCellOnes) {
  for (const std::string name : {"kana16", "latin8x8"}) {
    TempDir dir;
    RecordingHost host;
    LineReaderState lineState;
    const fs::path full = KELVANE_SOURCE_DIR "/examples/" + name + ".bdf";
    const fs::path tight = KELVANE_SOURCE_DIR "/tests/data/" + name + "_tight.bdf";
    ASSERT_TRUE(ConvertFileTo(full, dir / "full.kvn", host, lineState)) << name;
    ASSERT_TRUE(ConvertFileTo(tight, dir / "tight.kvn", host, lineState)) << name;
    EXPECT_EQ(ReadBytes(dir / "tight.kvn"), ReadBytes(dir / "full.kvn")) << name;
  }
}

TEST(ConvertFile, EmptyPathDoesNothing) {
  TempDir dir;
  RecordingHost host;
  LineReaderState lineState;
  ConvertFile("", host, lineState);
  EXPECT_FALSE(ConvertFileTo("", dir / "out.kvn", host, lineState));
  EXPECT_TRUE(host.events.empty());
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

// Each refusal runs in a directory holding in.bdf (the case's text, else a
// valid font), old.kvn (an earlier output), a directory dir.kvn, a read-only
// ro.kvn, a folder.bdf directory and link.kvn -> in.bdf. "@" in a message
// stands for the directory.
TEST(ConvertFile, RefusesWithOneMessageAndChangesNothing) {
  const std::string kA = Glyph("65"), kNot = "File is not support !", kLong(100, 'z');
  // clang-format off
  const struct {
    std::string text{}, message{};
    const char* in = "in.bdf";
    const char* out = "old.kvn";
    bool removeInput = false;
  } cases[] = {
      {kBox + "CHARSET_REGISTRY \"ISO10646\"\n" + kA, "CHARSET is not support! [ISO10646]"},
      {kBox + "CHARSET_REGISTRY   ISO10646 \n" + kA, "CHARSET is not support! [ISO10646]"},
      {kBox + "CHARSET_REGISTRY \"ISO10646-1\n" + kA, "CHARSET is not support! [ISO10646-1]"},
      {kA, kNot}, {"FONTBOUNDINGBOX 0 8 0 0\n" + kA, kNot}, {kBox + "ENDFONT\n", kNot},
      {kBox + Glyph("-1"), kNot},
      {kBox + Glyph("65", "DWIDTH x\n"), "Invalid number at line 4! [DWIDTH x]"},
      {kBox + Glyph("2147483648"), "Invalid number at line 3! [ENCODING 2147483648]"},
      {kBox + Glyph(kLong), "Invalid number at line 3! [ENCODING " + kLong.substr(0, 71) + "...]"},
      {kBox + Glyph("65", "DWIDTH 256 0\n"), "Value out of range at line 4! [DWIDTH 256 0]"},
      {kBox + Glyph("65", "DWIDTH -1 0\n"), "Value out of range at line 4! [DWIDTH -1 0]"},
      {"FONTBOUNDINGBOX 48 48\n" + kA, "Value out of range at line 1! [FONTBOUNDINGBOX 48 48]"},
      {kBox + kA + Glyph("65536"), "Value out of range at line 8! [ENCODING 65536]"},
      {ManyGlyphs(65536), "Value out of range at line 196607! [ENCODING 65535]"},
      {kBox + kA + Glyph("66") + Glyph("0"), "Code order not supported at line 13! [ENCODING 0]"},
      {kBox + kA + "FONTBOUNDINGBOX 16 1\n" + kA,
       "Cell size changed at line 7! [FONTBOUNDINGBOX 16 1]"},
      {kBox + "ENCODING 65\nBITMAP\nFF\n", "Unexpected end of file at line 2! [ENCODING 65]"},
      {kBox + kA + "ENCODING 66\nDWIDTH 8 0", "Unexpected end of file at line 7! [ENCODING 66]"},
      {.message = "Output would overwrite the input! [@in.bdf]", .out = "in.bdf"},
      {.message = "Output would overwrite the input! [@link.kvn]", .out = "link.kvn"},
      {.message = "Cannot open file! [@none.bdf] (No such file or directory)", .in = "none.bdf"},
      {.message = "Cannot open file! [@folder.bdf] (Is a directory)", .in = "folder.bdf"},
      {.message = "Cannot open file! [@in.bdf] (No such file or directory)", .removeInput = true},
      {.message = "Cannot write file! [@no/a.kvn] (No such file or directory)", .out = "no/a.kvn"},
      {.message = "Cannot write file! [@dir.kvn] (Is a directory)", .out = "dir.kvn"},
      {.message = "Cannot write file! [@ro.kvn] (Permission denied)", .out = "ro.kvn"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TempDir dir;
    WriteBytes(dir / "in.bdf", c.text.empty() ? kBox + kA : c.text);
    WriteBytes(dir / "old.kvn", "an earlier output");
    WriteBytes(dir / "ro.kvn", "read only");
    fs::permissions(dir / "ro.kvn", fs::perms(0444));
    fs::create_directory(dir / "dir.kvn");
    fs::create_directory(dir / "folder.bdf");
    fs::create_symlink("in.bdf", dir / "link.kvn");
    Snapshot expected = TakeSnapshot(dir.path());
    RecordingHost host;
    host.input = dir / c.in;
    if (c.removeInput) {
      host.removeOnBusy = dir / "in.bdf";
      expected.erase("in.bdf");
    }
    LineReaderState lineState;
    EXPECT_FALSE(ConvertFileTo(dir / c.in, dir / c.out, host, lineState));
    std::string message = c.message;
    if (const auto at = message.find('@'); at != std::string::npos)
      message.replace(at, 1, dir / "");
    EXPECT_EQ(host.events, (std::vector<std::string>{"busy on", "error: " + message, "busy off"}));
    EXPECT_EQ(TakeSnapshot(dir.path()), expected);
  }
}

}  // namespace
}  // namespace kelvane::test
