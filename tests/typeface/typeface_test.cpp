// The reader of fonts FreeType reads, on fonts made at build time from the
// glyphs glyphs.txt states (see CMakeLists.txt): every format must give back
// those glyphs, cells, codes and defaults, and refuse what it cannot read.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "test_support.h"
#include "typeface/typeface_reader.h"

namespace kelvane::typeface {
namespace {

using Pixels = std::set<std::pair<int, int>>;  // (x, y) from the origin, y up

struct StatedGlyph {
  int advance = 0;
  Pixels ink;
};

// glyphs.txt: "code advance x y", then rows top first.
std::map<std::int32_t, StatedGlyph> StatedGlyphs(int scale = 1) {
  std::ifstream in(TYPEFACE_GLYPHS);
  std::map<std::int32_t, StatedGlyph> glyphs;
  std::vector<std::string> rows;
  std::int32_t code = -1;
  int x = 0, y = 0;
  auto finish = [&] {
    if (code < 0) return;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t c = 0; c < rows[r].size(); ++c) {
        if (rows[r][c] != '#') continue;
        for (int i = 0; i < scale * scale; ++i) {
          glyphs[code].ink.emplace((x + static_cast<int>(c)) * scale + i % scale,
                                   (y + static_cast<int>(rows.size() - 1 - r)) * scale + i / scale);
        }
      }
    }
    rows.clear();
  };
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || (line[0] == '#' && line.find(' ') != std::string::npos)) continue;
    if (line[0] == '.' || line[0] == '#') {
      rows.push_back(line);
      continue;
    }
    finish();
    std::istringstream fields(line);
    std::string hex;
    int advance = 0;
    fields >> hex >> advance >> x >> y;
    code = std::stoi(hex, nullptr, 16);
    glyphs[code].advance = advance * scale;
  }
  finish();
  return glyphs;
}

Pixels Ink(const FontModel& font, const Glyph& glyph) {
  Pixels ink;
  const auto bitmap = font.bitmap(glyph);
  for (int row = 0; row < font.box.height; ++row) {
    for (int column = 0; column < font.box.width; ++column) {
      if (bitmap[row * font.bytesPerRow() + column / 8] & (0x80 >> (column % 8))) {
        ink.emplace(font.box.x + column, font.box.y + font.box.height - 1 - row);
      }
    }
  }
  return ink;
}

std::vector<std::uint8_t> FontBytes(const std::string& name) {
  const std::string bytes = test::ReadBytes(std::string(TYPEFACE_FONTS) + "/" + name);
  return {bytes.begin(), bytes.end()};
}

Result<FontModel> Read(const std::string& name, const FaceOptions& options = {},
                       const CellCheck& check = {}) {
  return ReadTypeface(FontBytes(name), name, options, check);
}

const Glyph* Find(const FontModel& font, std::int32_t code) {
  for (const Glyph& glyph : font.glyphs) {
    if (glyph.code == code) return &glyph;
  }
  return nullptr;
}

FaceOptions Size(int pixels) {
  FaceOptions options;
  options.pixelSize = pixels;
  return options;
}

// One table: the same small font in every format gives the same glyphs.
struct FormatCase {
  std::string file;
  FaceOptions options;
  int scale = 1;
  bool onlyStated = true;  // no coded glyph beyond those stated
};

TEST(TypefaceReader, EveryFormatGivesTheStatedGlyphs) {
  FaceOptions second = Size(8);
  second.face = 1;
  FaceOptions autoHinted = Size(8), unhinted = Size(8);
  autoHinted.hinting = Hinting::kAuto;
  unhinted.hinting = Hinting::kNone;
  const FormatCase cases[] = {
      {"small.pcf", {}},        {"small.pcf.gz", {}},       {"small.otb", {}},
      {"sizes.otb", Size(8)},   {"sizes.otb", Size(16), 2}, {"grid.ttf", Size(8)},
      {"grid.ttf", autoHinted}, {"grid.ttf", unhinted},     {"grid.woff", Size(8)},
      {"pair.ttc", second},     {"ansi.fnt", {}, 1, false},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.file + " scale " + std::to_string(c.scale));
    auto font = Read(c.file, c.options);
    ASSERT_TRUE(font) << font.error().text;
    const auto stated = StatedGlyphs(c.scale);
    for (const auto& [code, glyph] : stated) {
      const Glyph* read = Find(*font, code);
      ASSERT_NE(read, nullptr) << "code " << code;
      EXPECT_EQ(read->advance, glyph.advance) << "code " << code;
      EXPECT_EQ(Ink(*font, *read), glyph.ink) << "code " << code;
      EXPECT_EQ(read->sourceCode, code);
    }
    if (!c.onlyStated) continue;
    for (const Glyph& glyph : font->glyphs) {
      EXPECT_TRUE(glyph.code == kNoCode || stated.count(glyph.code)) << glyph.code;
    }
  }
}

TEST(TypefaceReader, CellHoldsTheKeptGlyphs) {
  const auto wanted = [](std::int32_t code) { return code == 0x41 || code == 0x2D; };
  FaceOptions subset, subsetGrid = Size(8), forced = Size(8);
  subset.wanted = wanted;
  subsetGrid.wanted = wanted;
  forced.cell = std::pair{6, 8};
  struct Case {
    std::string file;
    FaceOptions options;
    FontBox box;
    std::string boxLine;
    std::size_t glyphs;
  } cases[] = {
      // PCF: the union of every glyph's box, whatever is kept, as pcf2bdf writes it.
      {"small.pcf", {}, {5, 10, 0, -2}, "FONTBOUNDINGBOX 5 10 0 -2", 7},
      {"small.pcf", subset, {5, 10, 0, -2}, "FONTBOUNDINGBOX 5 10 0 -2", 3},
      // Others: every kept glyph's ink and advance, the accent above the em included.
      {"small.otb", {}, {6, 10, 0, -2}, "the cell 6x10", 8},
      {"grid.ttf", Size(8), {6, 10, 0, -2}, "the cell 6x10", 8},
      // Only A, '-' and the default glyph (.notdef: empty in grid.ttf, '?' in small.otb).
      {"small.otb", subset, {6, 6, 0, 0}, "the cell 6x6", 3},
      {"grid.ttf", subsetGrid, {6, 6, 0, 0}, "the cell 6x6", 3},
      // Forced: the baseline 6 rows down, as the ascent of 6 in 8.
      {"grid.ttf", forced, {6, 8, 0, -2}, "the cell 6x8", 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " " + c.boxLine);
    auto font = Read(c.file, c.options);
    ASSERT_TRUE(font) << font.error().text;
    EXPECT_EQ(font->box, c.box);
    EXPECT_EQ(font->boxLine, c.boxLine);
    EXPECT_EQ(font->glyphs.size(), c.glyphs);
  }
}

TEST(TypefaceReader, ForcedCellCutsAndSaysSo) {
  FaceOptions options = Size(8);
  options.cell = std::pair{6, 8};
  auto font = Read("grid.ttf", options);
  ASSERT_TRUE(font) << font.error().text;
  ASSERT_EQ(font->warnings.size(), 1u);
  EXPECT_EQ(font->warnings[0].text,
            "1 glyph has pixels outside the cell 6x8; those pixels were cut");
  EXPECT_EQ(font->warnings[0].detail, "pixels cut: code 0x00C5");
  // The ring's two rows above the cell are gone, the rest of the glyph stays.
  Pixels expected;
  const auto stated = StatedGlyphs();
  for (const auto& pixel : stated.at(0xC5).ink) {
    if (pixel.second < 6) expected.insert(pixel);
  }
  EXPECT_EQ(Ink(*font, *Find(*font, 0xC5)), expected);
  EXPECT_TRUE(Read("grid.ttf", Size(8))->warnings.empty());
}

TEST(TypefaceReader, CharacterSetAndDefaultGlyph) {
  struct Case {
    std::string file;
    FaceOptions options;
    std::string registry, encoding;
    std::optional<std::int32_t> defaultChar;
  } cases[] = {
      // PCF: its properties and its DEFAULT_CHAR, a glyph with its own code.
      {"small.pcf", {}, "ISO10646", "1", 0x3F},
      // sfnt: the Unicode map; .notdef kept without a code.
      {"small.otb", {}, "ISO10646", "1", kNoCode},
      {"grid.ttf", Size(8), "ISO10646", "1", kNoCode},
      // FNT: its charset byte and default character.
      {"sjis.fnt", {}, "JISX0201.1976", "0", 0x3F},
      {"ansi.fnt", {}, "CP1252", "", 0x3F},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    auto font = Read(c.file, c.options);
    ASSERT_TRUE(font) << font.error().text;
    EXPECT_EQ(font->registry, c.registry);
    EXPECT_EQ(font->encoding, c.encoding);
    EXPECT_EQ(font->defaultChar, c.defaultChar);
    const Glyph* glyph = Find(*font, *c.defaultChar);
    ASSERT_NE(glyph, nullptr);
    if (c.defaultChar != kNoCode) {
      EXPECT_EQ(Ink(*font, *glyph), StatedGlyphs().at(0x3F).ink);
    }
  }
}

TEST(TypefaceReader, RefusesWhatItCannotRead) {
  auto bytes = [](const std::string& name, std::size_t keep) {
    auto all = FontBytes(name);
    all.resize(std::min(all.size(), keep));
    return all;
  };
  FaceOptions pastCollection = Size(8), pastFont = Size(8);
  pastCollection.face = 2;
  pastFont.face = 1;
  const std::vector<std::uint8_t> noise(300, 0x5A);
  const CellCheck tooLarge = [](const FontBox& box) -> std::optional<std::string> {
    return "a glyph needs " + std::to_string(GlyphBytes(box.width, box.height)) +
           " bytes; the most is 9";
  };
  struct Case {
    std::string what;
    std::vector<std::uint8_t> bytes;
    FaceOptions options;
    CellCheck check;
    std::string text;
  } cases[] = {
      {"empty", {}, {}, {}, "File is not support ! (an empty file)"},
      {"noise", noise, {}, {}, "File is not support ! (FreeType: unknown file format)"},
      {"cut PCF", bytes("small.pcf", 700), {}, {}, "File is not support ! (FreeType: "},
      {"cut TrueType", bytes("grid.ttf", 400), Size(8), {}, "File is not support ! (FreeType: "},
      {"outline without size",
       FontBytes("grid.ttf"),
       {},
       {},
       "File is not support ! (an outline font: give a pixel size with --size)"},
      {"strikes without size",
       FontBytes("sizes.otb"),
       {},
       {},
       "File is not support ! (its sizes are 8, 16 pixels; choose one with --size)"},
      {"no such strike",
       FontBytes("sizes.otb"),
       Size(12),
       {},
       "File is not support ! (no size of 12 pixels; its sizes are 8, 16 pixels)"},
      {"PCF of another size",
       FontBytes("small.pcf"),
       Size(12),
       {},
       "File is not support ! (no size of 12 pixels; its size is 8 pixels)"},
      {"face past the collection",
       FontBytes("pair.ttc"),
       pastCollection,
       {},
       "File is not support ! (the collection has 2 faces; --face 0 to 1)"},
      {"face past a font",
       FontBytes("grid.ttf"),
       pastFont,
       {},
       "File is not support ! (the font has one face; --face 0)"},
      {"symbol map only",
       FontBytes("symbol.ttf"),
       Size(8),
       {},
       "File is not support ! (no Unicode character map; only a symbol map)"},
      {"FNT charset",
       FontBytes("russian.fnt"),
       {},
       {},
       "CHARSET is not support! [RUSSIAN_CHARSET 204]"},
      {"cell too large", FontBytes("grid.ttf"), Size(8), tooLarge,
       "Value out of range! [the cell 6x10] (a glyph needs 10 bytes; the most is 9)"},
      {"PCF cell too large",
       FontBytes("small.pcf"),
       {},
       tooLarge,
       "Value out of range! [FONTBOUNDINGBOX 5 10 0 -2] (a glyph needs 10 bytes; the most is 9)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto font = ReadTypeface(c.bytes, "f", c.options, c.check);
    ASSERT_FALSE(font);
    EXPECT_EQ(font.error().file, "f");
    EXPECT_EQ(font.error().text.substr(0, c.text.size()), c.text) << font.error().text;
  }
}

TEST(TypefaceReader, NamesFreeTypeErrors) {
  EXPECT_EQ(FreeTypeErrorText(0x02), "unknown file format");
  EXPECT_EQ(FreeTypeErrorText(0x03), "broken file");
  EXPECT_EQ(FreeTypeErrorText(0x0203), "broken file");  // a module's error: its base named
  EXPECT_EQ(FreeTypeErrorText(0xFE), "error 0xFE");
}

}  // namespace
}  // namespace kelvane::typeface
