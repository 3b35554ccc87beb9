#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/bdf_readers.h"

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HexDigitValue, ReadsHexDigitsAndGivesZeroForOthers) {
  const struct {
    const char* digit;
    int value;
  } cases[] = {{"0", 0}, {"9", 9}, {"A", 10}, {"F", 15}, {"a", 10}, {"f", 15}, {"G", 0},
               {"g", 0}, {"@", 0}, {"/", 0},  {":", 0},  {" ", 0},  {"", 0},   {"`", 0}};
  for (const auto& c : cases) EXPECT_EQ(HexDigitValue(c.digit), c.value) << '"' << c.digit << '"';
}

TEST(HexPairToByte, ReadsPairsAndDoublesALoneDigit) {
  const struct {
    const char* pair;
    int value;
  } cases[] = {{"FF", 0xFF}, {"80", 0x80}, {"0f", 0x0F}, {"aB", 0xAB}, {"F", 0xFF},
               {"8", 0x88},  {"", 0},      {"G0", 0x00}, {"1z", 0x10}};
  for (const auto& c : cases) EXPECT_EQ(HexPairToByte(c.pair), c.value) << '"' << c.pair << '"';
}

struct GlyphRead {
  GlyphOutcome outcome;
  std::uint8_t advance = 0;
  Bytes bitmap;
  std::string nextLine;  // the first line left after the glyph, "<end>" when none
};

// Runs ReadGlyph over `text` (the lines after an ENCODING line) for a cell of
// the given size whose font box has the given offsets.
GlyphRead ReadOne(std::string text, int cellWidth, int cellHeight, int boxX = 0, int boxY = 0) {
  ByteInput input(std::move(text));
  LineReaderState state;
  BdfLines lines(input, state);
  const int bytesPerRow = (cellWidth + 7) / 8;
  GlyphRead read;
  read.bitmap.assign(static_cast<std::size_t>(bytesPerRow * cellHeight), 0);
  read.outcome = ReadGlyph(lines, GlyphRecord{read.advance, read.bitmap}, bytesPerRow,
                           BoundingBox{cellWidth, cellHeight, boxX, boxY});
  read.nextLine = lines.Next() ? lines.line() : "<end>";
  return read;
}

TEST(ReadGlyph, DecodesEachRowIntoBytesPerRowBytes) {
  const struct {
    const char* row;
    Bytes bytes;
  } cases[] = {{"FF80", {0xFF, 0x80}}, {"ff80", {0xFF, 0x80}}, {"FF", {0xFF, 0x00}},
               {"FFF", {0xFF, 0xFF}},  {"G0F0", {0x00, 0xF0}}, {"0102030405", {0x01, 0x02}},
               {"", {0x00, 0x00}}};
  for (const auto& c : cases) {
    const GlyphRead read = ReadOne(std::string("BITMAP\n") + c.row + "\nENDCHAR\nNEXT\n", 16, 1);
    EXPECT_TRUE(read.outcome.complete) << c.row;
    EXPECT_EQ(read.bitmap, c.bytes) << c.row;
    EXPECT_EQ(read.nextLine, "NEXT") << c.row;
  }
}

TEST(ReadGlyph, FillsRowsFromTheTopAndEmptyLinesTakeARow) {
  const GlyphRead read = ReadOne("BITMAP\n8001\n\nFFFF\nENDCHAR\n", 16, 4);
  EXPECT_EQ(read.bitmap, (Bytes{0x80, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}));
}

TEST(ReadGlyph, IgnoresRowsPastTheCell) {
  const GlyphRead read = ReadOne("BITMAP\n81\n42\n24\n18\nFF\nENDCHAR\nNEXT\n", 8, 2);
  EXPECT_TRUE(read.outcome.complete);
  EXPECT_EQ(read.bitmap, (Bytes{0x81, 0x42}));
  EXPECT_EQ(read.nextLine, "NEXT");
}

TEST(ReadGlyph, TakesTheAdvanceFromTheFirstNumberOfDwidth) {
  const struct {
    const char* line;
    int advance;
  } cases[] = {{"DWIDTH 120 0", 120},  {"DWIDTH 12 0", 12},
               {"DWIDTH 8 0", 8},      {"DWIDTH 8", 8},
               {"DWIDTH 255 0", 255},  {"DWIDTH 0 0", 0},
               {"DWIDTH   16\t0", 16}, {"DWIDTH 000000000000008 0", 8},
               {"dwidth 8 0", 0},      {"SWIDTH 500 0", 0}};
  for (const auto& c : cases) {
    const GlyphRead read = ReadOne(std::string(c.line) + "\nBITMAP\nFF\nENDCHAR\n", 8, 1);
    EXPECT_TRUE(read.outcome.refusal.empty()) << c.line << ": " << read.outcome.refusal;
    EXPECT_EQ(read.advance, c.advance) << c.line;
  }
}

TEST(ReadGlyph, RefusesAnAdvanceTheOutputCannotHold) {
  for (const char* line : {"DWIDTH 256 0", "DWIDTH -1 0", "DWIDTH x", "DWIDTH 99999999999 0"}) {
    const GlyphRead read = ReadOne(std::string(line) + "\nBITMAP\nFF\nENDCHAR\n", 8, 1);
    EXPECT_FALSE(read.outcome.refusal.empty()) << line;
  }
}

TEST(ReadGlyph, EndcharWithoutBitmapEndsABlankGlyph) {
  const GlyphRead read =
      ReadOne("SWIDTH 500 0\nDWIDTH 9 0\nENDCHAR\nSTARTCHAR B\nENCODING 66\nDWIDTH 4 0\n", 8, 1);
  EXPECT_TRUE(read.outcome.complete);
  EXPECT_EQ(read.advance, 9);
  EXPECT_EQ(read.bitmap, Bytes{0x00});
  EXPECT_EQ(read.nextLine, "STARTCHAR B");
}

TEST(ReadGlyph, LowerCaseKeywordsAreNotRecognised) {
  // "bitmap" is not a BITMAP line, so the rows below it are not rows and the
  // glyph ends at its ENDCHAR line.
  const GlyphRead lowerBitmap = ReadOne("bitmap\nFF\nENDCHAR\nNEXT\n", 8, 1);
  EXPECT_EQ(lowerBitmap.bitmap, Bytes{0x00});
  EXPECT_EQ(lowerBitmap.nextLine, "NEXT");

  // "endchar" inside the rows is a row, not the glyph's end.
  const GlyphRead lowerEnd = ReadOne("BITMAP\nFF\nendchar\nENDCHAR\nNEXT\n", 8, 3);
  EXPECT_TRUE(lowerEnd.outcome.complete);
  EXPECT_EQ(lowerEnd.bitmap[0], 0xFF);
  EXPECT_EQ(lowerEnd.nextLine, "NEXT");
}

TEST(ReadGlyph, ReportsAGlyphCutShortByTheEndOfInput) {
  EXPECT_FALSE(ReadOne("DWIDTH 8 0\nBITMAP\nFF\n", 8, 1).outcome.complete);
  EXPECT_FALSE(ReadOne("DWIDTH 8 0\n", 8, 1).outcome.complete);
  EXPECT_TRUE(ReadOne("BITMAP\nFF\nENDCHAR", 8, 1).outcome.complete);
}

// Glyph placement by BBX in a 16 x 16 cell whose font box is 16 16 0 -2, so the
// cell's bottom row is y = -2 and its top row y = 13.
Bytes Cell16(std::initializer_list<std::pair<int, std::pair<int, int>>> rows) {
  Bytes cell(32, 0);
  for (const auto& [row, bytes] : rows) {
    cell[static_cast<std::size_t>(row * 2)] = static_cast<std::uint8_t>(bytes.first);
    cell[static_cast<std::size_t>(row * 2 + 1)] = static_cast<std::uint8_t>(bytes.second);
  }
  return cell;
}

TEST(ReadGlyph, PlacesATightGlyphByItsBoundingBox) {
  const struct {
    const char* name;
    const char* lines;
    Bytes cell;
  } cases[] = {
      // top = (-2 + 16) - (0 + 4) = 10, left = 2 - 0 = 2.
      {"inside the cell", "BBX 4 4 2 0\nBITMAP\nF0\n90\n90\nF0\nENDCHAR\n",
       Cell16({{10, {0x3C, 0}}, {11, {0x24, 0}}, {12, {0x24, 0}}, {13, {0x3C, 0}}})},
      // Pixels beyond the box's width in a row are not drawn.
      {"row wider than the box", "BBX 3 1 9 5\nBITMAP\nFF\nENDCHAR\n", Cell16({{8, {0x00, 0x70}}})},
      // left = 14: columns 16 and 17 fall outside the cell.
      {"past the right edge", "BBX 4 2 14 0\nBITMAP\nF0\nF0\nENDCHAR\n",
       Cell16({{12, {0x00, 0x03}}, {13, {0x00, 0x03}}})},
      // top = 14 - 17 = -3: only the box's last row lands in the cell.
      {"above the top", "BBX 8 4 0 13\nBITMAP\n01\n02\n04\n08\nENDCHAR\n",
       Cell16({{0, {0x08, 0x00}}})},
      // top = 14 - (-4 + 2) = 16: below the cell, nothing drawn.
      {"below the bottom", "BBX 8 2 0 -4\nBITMAP\nFF\nFF\nENDCHAR\n", Cell16({})},
      // left = -2: the two leftmost pixels fall outside.
      {"left of the cell", "BBX 8 1 -2 13\nBITMAP\nFF\nENDCHAR\n", Cell16({{0, {0xFC, 0x00}}})},
      // top 0 and left 0: copied byte for byte, bits past the box's width too.
      {"at the top left", "BBX 4 16 0 -2\nBITMAP\nFF\nENDCHAR\n", Cell16({{0, {0xFF, 0x00}}})},
      {"no BBX line", "BITMAP\nFF\nFF01\nENDCHAR\n",
       Cell16({{0, {0xFF, 0x00}}, {1, {0xFF, 0x01}}})},
      {"BBX with three numbers", "BBX 4 4 2\nBITMAP\nFF\nENDCHAR\n", Cell16({{0, {0xFF, 0x00}}})},
      {"BBX not numeric", "BBX a 4 2 0\nBITMAP\nFF\nENDCHAR\n", Cell16({{0, {0xFF, 0x00}}})},
      {"BBX beyond 32 bits", "BBX 4 4 2 99999999999\nBITMAP\nFF\nENDCHAR\n",
       Cell16({{0, {0xFF, 0x00}}})},
      {"BBX far away", "BBX 4 4 2147483647 -2147483648\nBITMAP\nFF\nENDCHAR\n", Cell16({})},
      // A malformed BBX line is ignored: the earlier one still places the glyph.
      {"malformed BBX after a good one", "BBX 4 4 2 0\nBBX 4 x 0 0\nBITMAP\nF0\nENDCHAR\n",
       Cell16({{10, {0x3C, 0}}})},
  };
  for (const auto& c : cases) {
    const GlyphRead read = ReadOne(c.lines, 16, 16, 0, -2);
    EXPECT_TRUE(read.outcome.complete) << c.name;
    EXPECT_TRUE(read.outcome.refusal.empty()) << c.name << ": " << read.outcome.refusal;
    EXPECT_EQ(read.bitmap, c.cell) << c.name;
  }
}

TEST(ReadGlyph, PlacementUsesTheFontBoxOffsets) {
  // Font box 8 8 -1 -1: top = (-1 + 8) - (0 + 1) = 6, left = 0 - (-1) = 1.
  const GlyphRead read = ReadOne("BBX 2 1 0 0\nBITMAP\nC0\nENDCHAR\n", 8, 8, -1, -1);
  EXPECT_EQ(read.bitmap, (Bytes{0, 0, 0, 0, 0, 0, 0x60, 0}));
}

}  // namespace
}  // namespace kelvane
