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
  const std::pair<CharsetId, std::vector<const char*>> cases[] = {
      {CHARSET_ISO8859, {"ISO8859-1", "iso8859"}},
      {CHARSET_JISX0201, {"JISX0201.1976"}},
      {CHARSET_JISX0208, {"jisx0208.1983"}},
      {CHARSET_ISO646, {"ISO646.1991-IRV", "iso646.1991-irv"}},
      {CHARSET_UNSUPPORTED, {"ISO646.1991-DE", "ISO10646", "JISX0213", "ISO885", ""}}};
  for (const auto& [id, names] : cases)
    for (const char* name : names) EXPECT_EQ(CharsetIdOf(name), id) << name;
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

// The codes MapCodes gives, the default's too, are checked by the pipeline's
// tests "a character set named after the glyphs still maps them" (JIS X 0208),
// "glyphs in any order are written by code" (none) and MergesFontsOnTheirBaseline
// (JIS X 0201). Here: a registry the scan lets through (ISO646.1991 may be
// ASCII) whose encoding names a set that cannot be mapped.
TEST(MapCodes, RefusesCharacterSetsItCannotMapNamingTheFile) {
  FontModel font = Font("ISO646.1991", "DE", {65});
  EXPECT_EQ(MapCodes(font).error(),
            (Diagnostic{"f.bdf", 0, "CHARSET is not support! [ISO646.1991]"}));
  EXPECT_EQ(RegistryRefusal("ISO646.1991"), std::nullopt);
}

// Without an output code set the merged fonts' codes must mean the same characters.
// Each font's character set as REGISTRY-ENCODING; the refusal names the first pair that differs.
TEST(CheckFontsShareCodes, MergesOnlyFontsWhoseCodesMeanTheSameCharacters) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"JISX0201.1976-0", "JISX0208.1983-0"}, ""},
      {{"ISO646.1991-IRV", "JISX0208.1990-0", "-", "JISX0201.1976-0"}, ""},
      {{"ISO8859-1", "iso8859-1", "ISO646.1991-IRV"}, ""},
      {{"ISO8859-1", "JISX0208.1983-0"}, "f2.bdf: ISO8859-1 with JISX0208.1983-0"},
      {{"-", "JISX0201.1976-0", "ISO646.1991-IRV", "ISO8859-2"},
       "f4.bdf: JISX0201.1976-0 with ISO8859-2"},
      {{"ISO8859-1", "ISO8859-15"}, "f2.bdf: ISO8859-1 with ISO8859-15"}};
  for (const auto& [charsets, refusal] : cases) {
    std::vector<FontModel> fonts;
    for (const std::string& charset : charsets) {
      const std::size_t dash = charset.rfind('-');
      fonts.push_back(Font(charset.substr(0, dash), charset.substr(dash + 1), {0x41}));
      fonts.back().files = {"f" + std::to_string(fonts.size()) + ".bdf"};
    }
    std::optional<Diagnostic> expected;
    if (!refusal.empty()) {
      expected = Diagnostic{refusal.substr(0, 6), 0,
                            "CHARSET is not support! [" + refusal.substr(8) +
                                "] (their codes mean different characters)",
                            Remedy::kMapMergedCharsets};
    }
    EXPECT_EQ(CheckFontsShareCodes(fonts), expected) << charsets.back();
  }
}

}  // namespace
}  // namespace kelvane
