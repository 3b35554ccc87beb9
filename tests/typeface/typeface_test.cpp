// The reader of fonts FreeType reads, on fonts made at build time from the
// glyphs glyphs.txt states (see CMakeLists.txt): every format must give back
// those glyphs, cells, codes and defaults, and refuse what it cannot read.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <tuple>
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
  std::vector<std::string> rows;  // of the glyph `code`, whose origin is at (-x, -y)
  std::int32_t code = -1;
  int x = 0, y = 0;
  const auto finish = [&] {
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
      for (int c = 0; c < static_cast<int>(rows[r].size()); ++c)
        for (int i = 0; rows[r][c] == '#' && i < scale * scale; ++i)
          glyphs[code].ink.emplace((x + c) * scale + i % scale,
                                   (y + static_cast<int>(rows.size()) - 1 - r) * scale + i / scale);
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
    fields >> hex >> glyphs[code = std::stoi(hex, nullptr, 16)].advance >> x >> y;
    glyphs[code].advance *= scale;
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
  const auto it = std::ranges::find(font.glyphs, code, &Glyph::code);
  return it == font.glyphs.end() ? nullptr : &*it;
}

FaceOptions Size(std::optional<int> pixels, std::optional<int> face = {},
                 Hinting hinting = Hinting::kNative) {
  FaceOptions options;
  std::tie(options.pixelSize, options.face, options.hinting) = std::tuple(pixels, face, hinting);
  return options;
}

TEST(TypefaceReader, EveryFormatGivesTheStatedGlyphs) {
  const FaceOptions autoHinted = Size(8, {}, Hinting::kAuto),
                    unhinted = Size(8, {}, Hinting::kNone);
  const struct {
    std::string file;
    FaceOptions options;
    int scale = 1;
    bool onlyStated = true;  // no coded glyph beyond those stated
  } cases[] = {{"small.pcf", {}},        {"small.pcf.gz", {}},       {"small.otb", {}},
               {"sizes.otb", Size(8)},   {"sizes.otb", Size(16), 2}, {"grid.ttf", Size(8)},
               {"grid.ttf", autoHinted}, {"grid.ttf", unhinted},     {"grid.woff", Size(8)},
               {"pair.ttc", Size(8, 1)}, {"ansi.fnt", {}, 1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " scale " + std::to_string(c.scale));
    auto font = Read(c.file, c.options);
    ASSERT_TRUE(font) << font.error().text;
    const auto stated = StatedGlyphs(c.scale);
    for (const auto& [code, glyph] : stated) {
      const Glyph* read = Find(*font, code);
      ASSERT_NE(read, nullptr) << "code " << code;
      EXPECT_EQ(std::tuple(read->advance, Ink(*font, *read), read->sourceCode),
                std::tuple(glyph.advance, glyph.ink, code));
    }
    for (const Glyph& glyph : font->glyphs) {
      EXPECT_TRUE(!c.onlyStated || glyph.code == kNoCode || stated.count(glyph.code)) << glyph.code;
    }
  }
}

TEST(TypefaceReader, CellHoldsTheKeptGlyphs) {
  const auto wanted = [](std::int32_t code) { return code == 0x41 || code == 0x2D; };
  FaceOptions forced = Size(8), subset, subsetGrid = Size(8);
  forced.cell = std::pair{6, 8};
  subset.wanted = subsetGrid.wanted = wanted;
  const struct {
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
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " " + c.boxLine);
    auto font = Read(c.file, c.options);
    ASSERT_TRUE(font) << font.error().text;
    EXPECT_EQ(std::tuple(font->box, font->boxLine, font->glyphs.size()),
              std::tuple(c.box, c.boxLine, c.glyphs));
  }
  // Only the forced cell cuts: the ring's two rows above it, the rest of the glyph stays.
  EXPECT_TRUE(Read("grid.ttf", Size(8))->warnings.empty());
  auto font = Read("grid.ttf", forced);
  ASSERT_TRUE(font) << font.error().text;
  EXPECT_EQ(font->warnings,
            (std::vector<Warning>{{"1 glyph has pixels outside the cell 6x8; those pixels were cut",
                                   "pixels cut: code 0x00C5"}}));
  Pixels expected = StatedGlyphs().at(0xC5).ink;
  std::erase_if(expected, [](const auto& pixel) { return pixel.second >= 6; });
  EXPECT_EQ(Ink(*font, *Find(*font, 0xC5)), expected);
}

TEST(TypefaceReader, CharacterSetAndDefaultGlyph) {
  const struct {
    std::string file;
    FaceOptions options;
    std::string charset;
    std::optional<std::int32_t> defaultChar;
  } cases[] = {
      // PCF: its properties and its DEFAULT_CHAR, a glyph with its own code.
      {"small.pcf", {}, "ISO10646-1", 0x3F},
      // sfnt: the Unicode map; .notdef kept without a code.
      {"small.otb", {}, "ISO10646-1", kNoCode},
      {"grid.ttf", Size(8), "ISO10646-1", kNoCode},
      // FNT: its charset byte and default character.
      {"sjis.fnt", {}, "JISX0201.1976-0", 0x3F},
      {"ansi.fnt", {}, "CP1252-", 0x3F},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    auto font = Read(c.file, c.options);
    ASSERT_TRUE(font) << font.error().text;
    EXPECT_EQ(font->registry + "-" + font->encoding, c.charset);
    EXPECT_EQ(font->defaultChar, c.defaultChar);
    const Glyph* glyph = Find(*font, *c.defaultChar);
    ASSERT_NE(glyph, nullptr);
    if (c.defaultChar != kNoCode) {
      EXPECT_EQ(Ink(*font, *glyph), StatedGlyphs().at(0x3F).ink);
    }
  }
}

TEST(TypefaceReader, RefusesWhatItCannotRead) {
  const CellCheck tooLarge = [](const FontBox& box) -> std::optional<std::string> {
    return "a glyph needs " + std::to_string(GlyphBytes(box.width, box.height)) +
           " bytes; the most is 9";
  };
  using enum Remedy;
  const std::string no = "File is not support ! (",
                    tooLargeText = " (a glyph needs 10 bytes; the most is 9)";
  const struct {
    std::string file;  // "" for no bytes, "noise" for 300 bytes of it
    std::size_t keep;  // the bytes of the file kept
    FaceOptions options;
    std::string text;
    Remedy remedy = kNone;
  } cases[] = {
      {"", 0, {}, no + "an empty file)"},
      {"noise", 300, {}, no + "FreeType: unknown file format)"},
      {"small.pcf", 700, {}, no + "FreeType: "},
      {"grid.ttf", 400, Size(8), no + "FreeType: "},
      {"grid.ttf", -1u, {}, no + "an outline font)", kGivePixelSize},
      {"sizes.otb", -1u, {}, no + "its sizes are 8, 16 pixels)", kChoosePixelSize},
      {"sizes.otb", -1u, Size(12), no + "no size of 12 pixels; its sizes are 8, 16 pixels)",
       kChoosePixelSize},
      {"small.pcf", -1u, Size(12), no + "no size of 12 pixels; its size is 8 pixels)"},
      {"pair.ttc", -1u, Size(8, 2), no + "the collection has 2 faces, 0 to 1)", kChooseFace},
      {"grid.ttf", -1u, Size(8, 1), no + "the font has one face, 0)", kChooseFace},
      {"symbol.ttf", -1u, Size(8), no + "no Unicode character map; only a symbol map)"},
      {"russian.fnt", -1u, {}, "CHARSET is not support! [RUSSIAN_CHARSET 204]"},
      {"grid.ttf", -1u, Size(8), "Value out of range! [the cell 6x10]" + tooLargeText},
      {"small.pcf", -1u, {}, "Value out of range! [FONTBOUNDINGBOX 5 10 0 -2]" + tooLargeText}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " " + c.text);
    auto bytes = c.file == "noise" ? std::vector<std::uint8_t>(300, 0x5A)
                 : c.file.empty()  ? std::vector<std::uint8_t>()
                                   : FontBytes(c.file);
    bytes.resize(std::min(bytes.size(), c.keep));
    auto font =
        ReadTypeface(bytes, "f", c.options, c.text.starts_with("Value") ? tooLarge : CellCheck());
    ASSERT_FALSE(font);
    EXPECT_EQ(std::tuple(font.error().file, font.error().text.substr(0, c.text.size()),
                         font.error().remedy),
              std::tuple("f", c.text, c.remedy))
        << font.error().text;
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
