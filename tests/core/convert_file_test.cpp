#include "conversion/convert_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/core/test_support.h"

namespace kelvane {
namespace {

using testutil::Bytes;
using testutil::Kvn;
using testutil::ReadBytes;
using testutil::RecordingHost;
using testutil::TempDir;
using testutil::WriteFile;
namespace fs = std::filesystem;

using Events = std::vector<std::string>;
const Events kSuccess = {"busy on", "busy off"};

Events Refused(const std::string& text) { return {"busy on", "error: " + text, "busy off"}; }

// One glyph's lines: STARTCHAR, the ENCODING line, the body, ENDCHAR.
std::string Glyph(const std::string& encodingLine, const std::string& body = "BITMAP\nFF\n") {
  return "STARTCHAR g\n" + encodingLine + "\n" + body + "ENDCHAR\n";
}

const std::string kBox8x1 = "FONTBOUNDINGBOX 8 1 0 0\n";

// The bitmap rows of glyph g of the 16 x 16 example font: row r is the two
// bytes g * 0x40 + r and 1 << (r % 8).
Bytes ExampleBitmap(int g) {
  Bytes bitmap;
  for (int r = 0; r < 16; ++r) {
    bitmap.push_back(static_cast<std::uint8_t>(g * 0x40 + r));
    bitmap.push_back(static_cast<std::uint8_t>(1 << (r % 8)));
  }
  return bitmap;
}

std::string ExampleRows(int g) {
  std::string rows;
  const Bytes bitmap = ExampleBitmap(g);
  for (std::size_t i = 0; i < bitmap.size(); i += 2) {
    char row[8];
    std::snprintf(row, sizeof row, g == 1 ? "%02x%02x\n" : "%02X%02X\n", bitmap[i], bitmap[i + 1]);
    rows += row;
  }
  return rows;
}

// A 16 x 16 JIS X 0208 font with the glyphs 8481, 8482 and 9250.
std::string ExampleFont(bool defaultBeforeRegistry) {
  const std::string defaultChar = "DEFAULT_CHAR 8481\n";
  const std::string registry = "CHARSET_REGISTRY \"JISX0208.1983\"\n";
  std::string text =
      "STARTFONT 2.1\nFONT -kelvane-test-medium-r-normal--16-150-75-75-c-160-jisx0208.1983-0\n"
      "SIZE 16 75 75\nFONTBOUNDINGBOX 16 16 0 -2\nSTARTPROPERTIES 3\n";
  text += defaultBeforeRegistry ? defaultChar + registry : registry + defaultChar;
  text += "CHARSET_ENCODING \"0\"\nENDPROPERTIES\nCHARS 3\n";
  const int codes[] = {8481, 8482, 9250};
  for (int g = 0; g < 3; ++g) {
    text += "STARTCHAR " + std::to_string(codes[g]) + "\nENCODING " + std::to_string(codes[g]) +
            "\nSWIDTH 1000 0\nDWIDTH 16 0\nBBX 16 16 0 -2\nBITMAP\n" + ExampleRows(g) + "ENDCHAR\n";
  }
  return text + "ENDFONT\n";
}

TEST(ProcessHasOpen, SeesOnlyFilesThatAreOpen) {
  TempDir dir;
  const std::string path = dir / "f.bdf";
  WriteFile(path, "x");
  {
    std::ifstream in(path);
    EXPECT_TRUE(testutil::ProcessHasOpen(path));
  }
  EXPECT_FALSE(testutil::ProcessHasOpen(path));
}

class ConvertFileTest : public ::testing::Test {
 protected:
  // Writes the BDF text as `name` in the test's directory and returns its path.
  std::string Input(const std::string& text, const std::string& name = "font.bdf") {
    const std::string path = dir / name;
    WriteFile(path, text);
    host.watchedInput = fs::path(path);
    return path;
  }
  void Convert(const std::string& path) { ConvertFile(path, host, lineState); }
  // Converts text and returns the bytes written beside it, or nullopt.
  std::optional<Bytes> ConvertText(const std::string& text) {
    Convert(Input(text));
    return ReadBytes(dir / "font.kvn");
  }

  TempDir dir;
  RecordingHost host;
  LineReaderState lineState;
};

TEST_F(ConvertFileTest, WritesTheWorkedExampleByteForByte) {
  const auto written = ConvertText(ExampleFont(false));
  EXPECT_EQ(host.events, kSuccess);
  ASSERT_TRUE(written.has_value());

  const Bytes front = {0x03, 0x00, 0x02, 0x00, 0x00, 0x00, 0x10, 0x10, 0x20, 0x40, 0x81,
                       0x41, 0x81, 0x40, 0x81, 0xA0, 0x82, 0xA0, 0x82, 0x9E, 0x82};
  ASSERT_EQ(written->size(), 120u);
  EXPECT_EQ(Bytes(written->begin(), written->begin() + 21), front);
  for (std::size_t record : {21u, 54u, 87u}) EXPECT_EQ((*written)[record], 0x10) << record;

  const Bytes expected =
      Kvn({3, 2, 0, 16, 16, 32}, {{0x8140, 0x8141, 0x8140}, {0x82A0, 0x82A0, 0x829E}},
          {{16, ExampleBitmap(0)}, {16, ExampleBitmap(1)}, {16, ExampleBitmap(2)}});
  EXPECT_EQ(*written, expected);
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"font.bdf", "font.kvn"}));

  Convert(dir / "font.bdf");
  EXPECT_EQ(ReadBytes(dir / "font.kvn"), expected) << "a second conversion differs";
}

TEST_F(ConvertFileTest, DefaultCharIsMappedWhereverItComes) {
  for (const bool before : {true, false}) {
    TempDir fontDir;
    const std::string text =
        "FONTBOUNDINGBOX 8 1 0 0\n" +
        std::string(before ? "DEFAULT_CHAR 8481\nCHARSET_REGISTRY \"JISX0208.1983\"\n"
                           : "CHARSET_REGISTRY \"JISX0208.1983\"\nDEFAULT_CHAR 8481\n") +
        Glyph("ENCODING 8482") + Glyph("ENCODING 8481");
    WriteFile(fontDir / "f.bdf", text);
    ConvertFile(fontDir / "f.bdf", host, lineState);
    const Bytes expected =
        Kvn({2, 2, 1, 8, 1, 1}, {{0x8141, 0x8141, 0x8141}, {0x8140, 0x8140, 0x813F}},
            {{0, {0xFF}}, {0, {0xFF}}});
    EXPECT_EQ(ReadBytes(fontDir / "f.kvn"), expected) << (before ? "before" : "after");
  }
}

TEST_F(ConvertFileTest, DefaultCharIsNeverRangeChecked) {
  const auto written = ConvertText(kBox8x1 + "DEFAULT_CHAR 99999999\n" + Glyph("ENCODING 65 0"));
  EXPECT_EQ(host.events, kSuccess);
  EXPECT_EQ(written, Kvn({1, 1, 0, 8, 1, 1}, {{65, 65, 65}}, {{0, {0xFF}}}));
}

TEST_F(ConvertFileTest, ReadsTheRegistryNameWithOrWithoutQuotes) {
  const struct {
    const char* line;
    int firstCode;
  } cases[] = {
      {"CHARSET_REGISTRY \"JISX0208.1983\"", 0x8140}, {"CHARSET_REGISTRY JISX0208.1983", 0x8140},
      {"CHARSET_REGISTRY \t jisx0208 \t", 0x8140},    {"CHARSET_REGISTRY \"JISX0208.1983", 0x8140},
      {"CHARSET_REGISTRY \"ISO8859\"", 0x2121},       {"CHARSET_REGISTRY JISX0201.1976", 0x2121},
      {"charset_registry \"ISO10646\"", 0x2121},
  };
  for (const auto& c : cases) {
    TempDir fontDir;
    WriteFile(fontDir / "f.bdf", kBox8x1 + c.line + "\n" + Glyph("ENCODING 8481"));
    ConvertFile(fontDir / "f.bdf", host, lineState);
    const Bytes expected =
        Kvn({1, 1, 0, 8, 1, 1}, {{c.firstCode, c.firstCode, c.firstCode}}, {{0, {0xFF}}});
    EXPECT_EQ(ReadBytes(fontDir / "f.kvn"), expected) << c.line;
  }
}

TEST_F(ConvertFileTest, LeavesUnencodedGlyphsOut) {
  const auto written = ConvertText(kBox8x1 + Glyph("ENCODING 65", "DWIDTH 5 0\nBITMAP\n80\n") +
                                   Glyph("ENCODING -1", "DWIDTH 6 0\nBITMAP\n40\n") +
                                   Glyph("ENCODING -1 300", "DWIDTH 7 0\nBITMAP\n20\n") +
                                   Glyph("ENCODING 66", "DWIDTH 8 0\nBITMAP\n10\n"));
  EXPECT_EQ(host.events, kSuccess);
  const Bytes expected = Kvn({2, 1, 0, 8, 1, 1}, {{65, 66, 65}}, {{5, {0x80}}, {8, {0x10}}});
  EXPECT_EQ(written, expected);
}

TEST_F(ConvertFileTest, GlyphWithoutBitmapIsBlankAndTheNextStaysItsOwn) {
  const auto written = ConvertText(kBox8x1 + Glyph("ENCODING 65", "DWIDTH 5 0\n") +
                                   Glyph("ENCODING 66", "DWIDTH 7 0\nBITMAP\nF0\n"));
  EXPECT_EQ(host.events, kSuccess);
  const Bytes expected = Kvn({2, 1, 0, 8, 1, 1}, {{65, 66, 65}}, {{5, {0x00}}, {7, {0xF0}}});
  EXPECT_EQ(written, expected);
}

TEST_F(ConvertFileTest, AcceptsABoxWithOnlyWidthAndHeight) {
  const auto written =
      ConvertText("FONTBOUNDINGBOX 9 2\n" + Glyph("ENCODING 32", "BITMAP\nFF80\n"));
  EXPECT_EQ(host.events, kSuccess);
  EXPECT_EQ(written, Kvn({1, 1, 0, 9, 2, 4}, {{32, 32, 32}}, {{0, {0xFF, 0x80, 0x00, 0x00}}}));
}

TEST_F(ConvertFileTest, ChecksTheCellWhenTheFirstGlyphComes) {
  // A box too large for the layout is harmless when a usable one replaces it
  // before the first glyph; the largest cell that fits is 255 x 1 (32 bytes).
  const auto written = ConvertText("FONTBOUNDINGBOX 48 48 0 0\nFONTBOUNDINGBOX 255 1 0 0\n" +
                                   Glyph("ENCODING 65", "BITMAP\n80\n"));
  EXPECT_EQ(host.events, kSuccess);
  Bytes bitmap(32, 0);
  bitmap[0] = 0x80;
  EXPECT_EQ(written, Kvn({1, 1, 0, 255, 1, 32}, {{65, 65, 65}}, {{0, bitmap}}));
}

TEST_F(ConvertFileTest, PlacesGlyphsByTheBoxInForceAtTheirLines) {
  // The second box repeats the size, so it is accepted, and moves the origin.
  const auto written = ConvertText(
      "FONTBOUNDINGBOX 8 4 0 0\n" + Glyph("ENCODING 65", "BBX 2 2 0 0\nBITMAP\nC0\nC0\n") +
      "FONTBOUNDINGBOX 8 4 -2 -1\n" + Glyph("ENCODING 66", "BBX 2 2 0 0\nBITMAP\nC0\nC0\n"));
  EXPECT_EQ(host.events, kSuccess);
  EXPECT_EQ(written, Kvn({2, 1, 0, 8, 4, 4}, {{65, 66, 65}},
                         {{0, {0x00, 0x00, 0xC0, 0xC0}}, {0, {0x00, 0x30, 0x30, 0x00}}}));
}

TEST_F(ConvertFileTest, ConvertsAFileWithAJapaneseName) {
  const std::string input = Input(ExampleFont(false), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.bdf");
  Convert(input);
  EXPECT_EQ(host.events, kSuccess);
  const auto written = ReadBytes(dir / "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.kvn");
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->size(), 120u);
}

TEST_F(ConvertFileTest, ConvertFileToReportsWhatItWrote) {
  const std::string output = dir / "other.kvn";
  const auto summary = ConvertFileTo(Input(ExampleFont(false)), output, host, lineState);
  ASSERT_TRUE(summary.has_value());
  EXPECT_EQ(summary->outputPath, output);
  EXPECT_EQ(summary->glyphCount, 3);
  EXPECT_EQ(summary->rangeCount, 2);
  EXPECT_EQ(summary->cellWidth, 16);
  EXPECT_EQ(summary->cellHeight, 16);
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"font.bdf", "other.kvn"}));
}

TEST_F(ConvertFileTest, EmptyPathDoesNothing) {
  ConvertFile("", host, lineState);
  EXPECT_FALSE(ConvertFileTo("", dir / "out.kvn", host, lineState).has_value());
  EXPECT_TRUE(host.events.empty());
  EXPECT_TRUE(dir.Names().empty());
}

// Every refusal shows one message between SetBusy(true) and SetBusy(false),
// after the input is closed, and leaves the output as it was.
struct RefusalCase {
  const char* name;
  std::string text;
  std::string message;
};

std::vector<RefusalCase> RefusalCases() {
  const std::string glyphA = Glyph("ENCODING 65");
  const std::string longField(100, 'z');
  return {
      {"unsupported registry", kBox8x1 + "CHARSET_REGISTRY \"ISO10646\"\n" + glyphA,
       "CHARSET is not support! [ISO10646]"},
      {"registry without quotes", kBox8x1 + "CHARSET_REGISTRY   ISO10646 \n" + glyphA,
       "CHARSET is not support! [ISO10646]"},
      {"registry with one quote", kBox8x1 + "CHARSET_REGISTRY \"ISO10646-1\n" + glyphA,
       "CHARSET is not support! [ISO10646-1]"},
      {"empty registry", kBox8x1 + "CHARSET_REGISTRY \"\"\n" + glyphA,
       "CHARSET is not support! []"},
      {"lines after the registry unread",
       kBox8x1 + "CHARSET_REGISTRY \"JISX0213.2000\"\n" + Glyph("ENCODING abc"),
       "CHARSET is not support! [JISX0213.2000]"},
      {"no box", glyphA, "File is not support !"},
      {"box after the first glyph", glyphA + kBox8x1 + Glyph("ENCODING 66"),
       "File is not support !"},
      {"box in lower case", "fontboundingbox 8 1 0 0\n" + glyphA, "File is not support !"},
      {"box width 0", "FONTBOUNDINGBOX 0 8 0 0\n" + glyphA, "File is not support !"},
      {"box height negative", "FONTBOUNDINGBOX 8 -1 0 0\n" + glyphA, "File is not support !"},
      {"no glyph", kBox8x1 + "CHARSET_REGISTRY \"ISO8859\"\nENDFONT\n", "File is not support !"},
      {"only unencoded glyphs", kBox8x1 + Glyph("ENCODING -1"), "File is not support !"},
      {"advance above 255", kBox8x1 + Glyph("ENCODING 65", "DWIDTH 256 0\nBITMAP\n"),
       "Value out of range at line 4! [DWIDTH 256 0]"},
      {"advance negative", kBox8x1 + Glyph("ENCODING 65", "DWIDTH -1 0\nBITMAP\n"),
       "Value out of range at line 4! [DWIDTH -1 0]"},
      {"advance not a number", kBox8x1 + Glyph("ENCODING 65", "DWIDTH x\nBITMAP\n"),
       "Invalid number at line 4! [DWIDTH x]"},
      {"code not a number", kBox8x1 + Glyph("ENCODING abc"),
       "Invalid number at line 3! [ENCODING abc]"},
      {"code beyond 32 bits", kBox8x1 + Glyph("ENCODING 2147483648"),
       "Invalid number at line 3! [ENCODING 2147483648]"},
      {"box not a number", "FONTBOUNDINGBOX x 8 0 0\n" + glyphA,
       "Invalid number at line 1! [FONTBOUNDINGBOX x 8 0 0]"},
      {"default not a number", kBox8x1 + "DEFAULT_CHAR x\n" + glyphA,
       "Invalid number at line 2! [DEFAULT_CHAR x]"},
      {"long line cut in the message", kBox8x1 + Glyph("ENCODING " + longField),
       "Invalid number at line 3! [ENCODING " + longField.substr(0, 71) + "...]"},
      // The cell is checked at the first ENCODING; the message names the box.
      {"cell of 48 x 48", "COMMENT\nFONTBOUNDINGBOX 48 48 0 0\n" + glyphA,
       "Value out of range at line 2! [FONTBOUNDINGBOX 48 48 0 0]"},
      {"cell width 256", "FONTBOUNDINGBOX 256 1 0 0\n" + glyphA,
       "Value out of range at line 1! [FONTBOUNDINGBOX 256 1 0 0]"},
      {"cell height 256", "FONTBOUNDINGBOX 1 256 0 0\n" + glyphA,
       "Value out of range at line 1! [FONTBOUNDINGBOX 1 256 0 0]"},
      {"cell of 48 x 48 without glyphs", "FONTBOUNDINGBOX 48 48 0 0\nENDFONT\n",
       "File is not support !"},
      {"code 65536", kBox8x1 + glyphA + Glyph("ENCODING 65536"),
       "Value out of range at line 8! [ENCODING 65536]"},
      {"code beyond 65535 after mapping",
       kBox8x1 + "CHARSET_REGISTRY \"JISX0208.1983\"\n" + Glyph("ENCODING 65535"),
       "Value out of range at line 4! [ENCODING 65535]"},
      {"codes falling below their index",
       kBox8x1 + glyphA + Glyph("ENCODING 66") + Glyph("ENCODING 67") + Glyph("ENCODING 0"),
       "Code order not supported at line 18! [ENCODING 0]"},
      {"cell size changed", kBox8x1 + glyphA + "FONTBOUNDINGBOX 16 1 0 0\n" + Glyph("ENCODING 66"),
       "Cell size changed at line 7! [FONTBOUNDINGBOX 16 1 0 0]"},
      {"end inside the rows", kBox8x1 + "STARTCHAR A\nENCODING 65\nBITMAP\nFF\n",
       "Unexpected end of file at line 3! [ENCODING 65]"},
      {"end before BITMAP", kBox8x1 + glyphA + "STARTCHAR B\nENCODING 66\nDWIDTH 8 0",
       "Unexpected end of file at line 8! [ENCODING 66]"},
  };
}

TEST_F(ConvertFileTest, RefusesWithTheExactTextAndWritesNothing) {
  for (const RefusalCase& c : RefusalCases()) {
    SCOPED_TRACE(c.name);
    TempDir fontDir;
    const std::string input = fontDir / "font.bdf";
    const std::string output = fontDir / "font.kvn";
    WriteFile(input, c.text);

    RecordingHost fresh;
    fresh.watchedInput = fs::path(input);
    ConvertFile(input, fresh, lineState);
    EXPECT_EQ(fresh.events, Refused(c.message));
    EXPECT_FALSE(fresh.inputOpenAtError);
    EXPECT_EQ(fontDir.Names(), std::set<std::string>{"font.bdf"});

    const std::string earlier = "an earlier file\n";
    WriteFile(output, earlier);
    RecordingHost again;
    ConvertFile(input, again, lineState);
    EXPECT_EQ(again.events, Refused(c.message));
    EXPECT_EQ(ReadBytes(output), Bytes(earlier.begin(), earlier.end()));
    EXPECT_EQ(fontDir.Names(), (std::set<std::string>{"font.bdf", "font.kvn"}));
  }
}

TEST_F(ConvertFileTest, GlyphCountIsLimitedTo65535) {
  std::string text = "FONTBOUNDINGBOX 1 1\n";
  for (int code = 0; code < 65535; ++code) {
    text += "ENCODING " + std::to_string(code) + "\nBITMAP\nENDCHAR\n";
  }
  const auto written = ConvertText(text);
  EXPECT_EQ(host.events, kSuccess);
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->size(), 9u + 6u + 65535u * 2u);

  // One glyph more: refused at its ENCODING line, 2 + 3 * 65535.
  fs::remove(dir / "font.kvn");
  host.events.clear();
  text += "ENCODING 65535\nBITMAP\nENDCHAR\n";
  EXPECT_FALSE(ConvertText(text).has_value());
  EXPECT_EQ(host.events, Refused("Value out of range at line 196607! [ENCODING 65535]"));
}

TEST_F(ConvertFileTest, RefusesAMissingOrUnreadableInput) {
  for (const std::string& input : {dir / "missing.bdf", dir.path().string()}) {
    RecordingHost refused;
    ConvertFile(input, refused, lineState);
    ASSERT_EQ(refused.events.size(), 3u) << input;
    EXPECT_EQ(refused.events[1].rfind("error: Cannot open file! [" + input + "]", 0), 0u)
        << refused.events[1];
    EXPECT_EQ(refused.events[2], "busy off");
  }
  EXPECT_TRUE(dir.Names().empty());
}

TEST_F(ConvertFileTest, NeverWritesOverTheInput) {
  const std::string text = ExampleFont(false);
  const Bytes original(text.begin(), text.end());

  const std::string kvnInput = Input(text, "picked.kvn");
  Convert(kvnInput);
  EXPECT_EQ(host.events, Refused("Output would overwrite the input! [" + kvnInput + "]"));
  EXPECT_FALSE(host.inputOpenAtError);
  EXPECT_EQ(ReadBytes(kvnInput), original);

  const std::string input = Input(text);
  const std::string link = dir / "link.kvn";
  fs::create_symlink(input, link);
  for (const std::string& output : {input, link}) {
    RecordingHost refused;
    EXPECT_FALSE(ConvertFileTo(input, output, refused, lineState).has_value());
    EXPECT_EQ(refused.events, Refused("Output would overwrite the input! [" + output + "]"));
    EXPECT_EQ(ReadBytes(input), original);
  }
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"font.bdf", "link.kvn", "picked.kvn"}));
}

TEST_F(ConvertFileTest, ReplacesALongerOlderFileWholeKeepingItsPermissions) {
  const std::string output = dir / "font.kvn";
  WriteFile(output, std::string(1000, '\xAA'));
  fs::permissions(output, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);

  const auto written = ConvertText(ExampleFont(false));
  EXPECT_EQ(host.events, kSuccess);
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->size(), 120u);
  EXPECT_EQ(fs::status(output).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"font.bdf", "font.kvn"}));
}

TEST_F(ConvertFileTest, ReplacesTheTargetOfASymbolicLink) {
  fs::create_directory(dir.path() / "real");
  const std::string target = dir / "real/target.kvn";
  WriteFile(target, "old");
  fs::create_symlink("real/target.kvn", dir / "font.kvn");

  const auto written = ConvertText(ExampleFont(false));
  EXPECT_EQ(host.events, kSuccess);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "font.kvn")));
  ASSERT_TRUE(ReadBytes(target).has_value());
  EXPECT_EQ(ReadBytes(target)->size(), 120u);
  std::set<std::string> inReal;
  for (const auto& entry : fs::directory_iterator(dir.path() / "real")) {
    inReal.insert(entry.path().filename().string());
  }
  EXPECT_EQ(inReal, std::set<std::string>{"target.kvn"});
}

TEST_F(ConvertFileTest, RefusesAnOutputItCannotWrite) {
  const std::string readOnly = dir / "readonly.kvn";
  WriteFile(readOnly, "keep me");
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::create_directory(dir.path() / "a-directory.kvn");
  const std::string input = Input(ExampleFont(false));

  for (const std::string& output : {readOnly, dir / "missing/font.kvn", dir / "a-directory.kvn"}) {
    RecordingHost refused;
    refused.watchedInput = fs::path(input);
    EXPECT_FALSE(ConvertFileTo(input, output, refused, lineState).has_value());
    ASSERT_EQ(refused.events.size(), 3u) << output;
    EXPECT_EQ(refused.events[1].rfind("error: Cannot write file! [" + output + "]", 0), 0u)
        << refused.events[1];
    EXPECT_EQ(refused.events[2], "busy off");
    EXPECT_FALSE(refused.inputOpenAtError);
  }
  EXPECT_EQ(ReadBytes(readOnly), (Bytes{'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
  EXPECT_TRUE(fs::is_empty(dir.path() / "a-directory.kvn"));
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"a-directory.kvn", "font.bdf", "readonly.kvn"}));
}

}  // namespace
}  // namespace kelvane
