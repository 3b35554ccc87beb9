// Character sets and the mapping of a font's codes to the output's.
#include <gtest/gtest.h>

#include <vector>

#include "mapping/charset.h"
#include "mapping/code_mapping.h"

namespace kelvane {
namespace {

TEST(JisToSjis, MapsRowCellCodes) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {0x2121, 0x8140}, {0x2422, 0x82A0}, {0x3021, 0x889F}, {0x5E7E, 0x9FFC},
      {0x5F21, 0xE040}, {0x7426, 0xEAA4}, {0x0041, 0x0041}, {-1, 0x701E}};
  for (const auto& [jis, sjis] : cases) EXPECT_EQ(JisToSjis(jis), sjis) << std::hex << jis;
}

TEST(CharsetIdOf, KnowsCharacterSetsByTheirBeginningInAnyCase) {
  using Case = std::pair<const char*, CharsetId>;
  const Case cases[] = {
      {"ISO8859-1", CHARSET_ISO8859},
      {"iso8859", CHARSET_ISO8859},
      {"JISX0201.1976", CHARSET_JISX0201},
      {"jisx0208.1983", CHARSET_JISX0208},
      {"ISO646.1991-IRV", CHARSET_ISO646},
      {"iso646.1991-irv", CHARSET_ISO646},
      {"ISO646.1991-DE", CHARSET_UNSUPPORTED},
      {"ISO10646", CHARSET_UNSUPPORTED},
      {"JISX0213", CHARSET_UNSUPPORTED},
      {"ISO885", CHARSET_UNSUPPORTED},
      {"", CHARSET_UNSUPPORTED},
  };
  for (const auto& [name, id] : cases) EXPECT_EQ(CharsetIdOf(name), id) << name;
}

// The model of a font in `registry`-`encoding` whose glyphs have `codes`.
FontModel Font(std::string registry, std::string encoding, std::vector<std::int32_t> codes,
               std::optional<std::int32_t> defaultChar = std::nullopt) {
  FontModel model;
  model.files = {"f.bdf"};
  model.box = {8, 1, 0, 0};
  model.registry = std::move(registry);
  model.encoding = std::move(encoding);
  model.defaultChar = defaultChar;
  for (const std::int32_t code : codes) model.AddGlyph(code, {0, 1});
  return model;
}

std::vector<std::int32_t> CodesOf(const FontModel& model) {
  std::vector<std::int32_t> codes;
  for (const Glyph& glyph : model.glyphs) codes.push_back(glyph.code);
  return codes;
}

TEST(MapCodes, GivesEachGlyphItsOutputCode) {
  const struct {
    FontModel font;
    std::vector<std::int32_t> codes;
    std::int32_t defaultCode;
  } cases[] = {
      {Font("JISX0208.1983", "0", {0x2121, 0x2422, 65}, 0x2121), {0x8140, 0x82A0, 65}, 0x8140},
      {Font("JISX0201.1976", "0", {0xB1}), {0xB1}, 0},
      {Font("", "", {0x2121}, 0x2121), {0x2121}, 0x2121},  // no character set: codes kept
  };
  for (auto c : cases) {
    ASSERT_TRUE(MapCodes(c.font).ok()) << c.font.registry;
    EXPECT_EQ(CodesOf(c.font), c.codes) << c.font.registry;
    EXPECT_EQ(c.font.defaultCode, c.defaultCode) << c.font.registry;
  }
}

TEST(MapCodes, RefusesCharacterSetsItCannotMapNamingTheFile) {
  FontModel font = Font("ISO646.1991", "DE", {65});
  const Status mapped = MapCodes(font);
  ASSERT_FALSE(mapped.ok());
  EXPECT_EQ(mapped.error().text, "CHARSET is not support! [ISO646.1991]");
  EXPECT_EQ(mapped.error().file, "f.bdf");
  EXPECT_EQ(RegistryRefusal("CNS11643.1992"), "CHARSET is not support! [CNS11643.1992]");
  EXPECT_EQ(RegistryRefusal("jisx0208.1990"), std::nullopt);
}

// Without an output code set the merged fonts' codes must mean the same characters.
TEST(CheckFontsShareCodes, MergesOnlyFontsWhoseCodesMeanTheSameCharacters) {
  const struct {
    std::vector<std::pair<std::string, std::string>> charsets;  // of f1.bdf, f2.bdf, ...
    std::optional<Diagnostic> refusal;
  } cases[] = {
      {{{"JISX0201.1976", "0"}, {"JISX0208.1983", "0"}}, {}},
      {{{"ISO646.1991", "IRV"}, {"JISX0208.1990", "0"}, {"", ""}, {"JISX0201.1976", "0"}}, {}},
      {{{"ISO8859", "1"}, {"iso8859", "1"}, {"ISO646.1991", "IRV"}}, {}},
      {{{"ISO8859", "1"}, {"JISX0208.1983", "0"}},
       Diagnostic{"f2.bdf", 0,
                  "CHARSET is not support! [ISO8859-1 with JISX0208.1983-0] (their codes mean "
                  "different characters)",
                  Remedy::kMapMergedCharsets}},
      {{{"", ""}, {"JISX0201.1976", "0"}, {"ISO646.1991", "IRV"}, {"ISO8859", "2"}},
       Diagnostic{"f4.bdf", 0,
                  "CHARSET is not support! [JISX0201.1976-0 with ISO8859-2] (their codes mean "
                  "different characters)",
                  Remedy::kMapMergedCharsets}},
      {{{"ISO8859", "1"}, {"ISO8859", "15"}},
       Diagnostic{"f2.bdf", 0,
                  "CHARSET is not support! [ISO8859-1 with ISO8859-15] (their codes mean "
                  "different characters)",
                  Remedy::kMapMergedCharsets}},
  };
  for (const auto& c : cases) {
    std::vector<FontModel> fonts;
    for (const auto& [registry, encoding] : c.charsets) {
      fonts.push_back(Font(registry, encoding, {0x41}));
      fonts.back().files = {"f" + std::to_string(fonts.size()) + ".bdf"};
    }
    EXPECT_EQ(CheckFontsShareCodes(fonts), c.refusal) << c.charsets.back().first;
  }
}

}  // namespace
}  // namespace kelvane
