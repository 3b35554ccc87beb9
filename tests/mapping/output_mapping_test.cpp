// Output code sets from ICU's tables, the variant pairs, mapping a font into a
// code set, and subsets.
#include <gtest/gtest.h>

#include "mapping/code_space.h"
#include "mapping/output_mapping.h"
#include "mapping/subset.h"

namespace kelvane {
namespace {

using enum JapaneseTable;

CodeSpace Output(const char* name, JapaneseTable table) {
  auto space = CodeSpace::ForOutput(name, table);
  EXPECT_TRUE(space.ok()) << name;
  return std::move(space).value();
}

// Pinned, so an ICU update that moves one of them is caught.
TEST(CodeSpace, DecodesTheCodesWhereTheTablesDifferAndAgree) {
  const struct {
    std::int32_t code;
    char32_t jis, cp932;
  } cases[] = {
      {0x815C, 0x2014, 0x2015}, {0x8160, 0x301C, 0xFF5E}, {0x8161, 0x2016, 0x2225},
      {0x817C, 0x2212, 0xFF0D}, {0x5C, 0x00A5, 0x005C},   {0x7E, 0x203E, 0x007E},
      {0x815F, 0xFF3C, 0xFF3C}, {0x8191, 0xFFE0, 0xFFE0}, {0x8192, 0xFFE1, 0xFFE1},
      {0x81CA, 0xFFE2, 0xFFE2}, {0xB1, 0xFF71, 0xFF71},   {0xDF, 0xFF9F, 0xFF9F},
      {0x82A0, 0x3042, 0x3042}, {0x41, 0x41, 0x41},
  };
  const CodeSpace jis = Output("shift_jis", kJis), cp932 = Output("shift_jis", kCp932);
  for (const auto& c : cases) {
    EXPECT_EQ(jis.Decode(c.code), c.jis) << std::hex << c.code;
    EXPECT_EQ(cp932.Decode(c.code), c.cp932) << std::hex << c.code;
  }
}

TEST(CodeSpace, HoldsExactlyTheCodesOfItsSet) {
  const CodeSpace jis = Output("shift_jis", kJis), cp932 = Output("shift_jis", kCp932);
  const CodeSpace full = Output("jisx0208", kCp932), half = Output("jisx0201", kJis);
  // The Windows extensions only under cp932; the user area never.
  for (const std::int32_t code : {0x8740, 0xEEE0, 0xFBFC}) {
    EXPECT_FALSE(jis.Decode(code)) << std::hex << code;
    EXPECT_TRUE(cp932.Decode(code)) << std::hex << code;
  }
  EXPECT_FALSE(cp932.Decode(0xF040));
  EXPECT_FALSE(cp932.Decode(0xA0));
  // Codes that decode to one character: 髙 twice under cp932.
  EXPECT_EQ(cp932.CodesOf(0x9AD9), (std::vector<std::int32_t>{0xEEE0, 0xFBFC}));
  EXPECT_EQ(jis.Codes().size(), 95u + 63 + 6879);
  EXPECT_FALSE(full.Decode(0x41));
  EXPECT_EQ(half.Codes().size(), 95u + 63);
}

TEST(CodeSpace, KnowsTheOtherCodeSets) {
  const struct {
    const char* name;
    std::int32_t code;
    std::optional<char32_t> c;
  } cases[] = {{"iso8859-2", 0xA1, 0x0104},
               {"iso8859-16", 0xA4, 0x20AC},
               {"iso8859-11", 0xDB, std::nullopt},
               {"unicode", 0x1F600, std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(Output(c.name, kCp932).Decode(c.code), c.c) << c.name;
  for (const char* bad : {"iso8859-12", "iso8859-17", "sjis", ""}) {
    EXPECT_FALSE(CodeSpace::ForOutput(bad, kCp932).ok()) << bad;
  }
  for (const std::string_view name : OutputCodeSetNames()) {
    EXPECT_EQ(Output(std::string(name).c_str(), kJis).name(), name);
  }
  EXPECT_EQ(CodeSetNameSummary(),
            "shift_jis, jisx0208, jisx0201, iso8859-1 .. iso8859-16, unicode");
  EXPECT_EQ(std::pair(JapaneseTableNamed("cp932"), JapaneseTableNamed("jis")),
            std::pair(std::optional(kCp932), std::optional(kJis)));
}

// The variant pairs stand in for each other in the Japanese code sets only.
TEST(CodeSpace, FindsTheCodesOfACharacterOrOfItsVariant) {
  const auto font = [](const char* registry, const char* encoding) {
    return *CodeSpace::ForFont(registry, encoding, kCp932);
  };
  const struct {
    CodeSpace space;
    char32_t c;
    std::vector<std::int32_t> codes;
  } cases[] = {
      {Output("shift_jis", kCp932), 0xA5, {0x5C}},  {Output("shift_jis", kJis), 0xFF5E, {0x8160}},
      {Output("jisx0201", kCp932), 0x203E, {0x7E}}, {font("JISX0201.1976", "0"), 0x7E, {0x7E}},
      {Output("iso8859-1", kCp932), 0xA5, {0xA5}},  {Output("iso8859-1", kCp932), 0x203E, {}},
      {font("ISO8859", "1"), 0x203E, {}},           {Output("unicode", kCp932), 0x203E, {0x203E}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.space.CodesFor(c.c), c.codes) << c.space.name() << std::hex << " U+" << +c.c;
  }
}

// A font of `registry` whose glyphs have these codes; each bitmap's one byte
// is the glyph's position in the list.
FontModel Font(const char* registry, std::vector<std::int32_t> codes,
               std::optional<std::int32_t> defaultChar = std::nullopt) {
  FontModel model;
  model.files = {"u.bdf"};
  model.box = {8, 1, 0, 0};
  model.registry = registry;
  model.defaultChar = defaultChar;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    model.bitmap(model.AddGlyph(codes[i], {0, static_cast<std::int64_t>(i + 1)}))[0] =
        static_cast<std::uint8_t>(i);
  }
  return model;
}

// "code:bitmap" for each glyph, and the default code.
std::string Describe(const FontModel& font) {
  std::string text;
  for (const Glyph& glyph : font.glyphs) {
    char item[24];
    std::snprintf(item, sizeof item, "%X:%d ", static_cast<unsigned>(glyph.code),
                  font.bitmap(glyph)[0]);
    text += item;
  }
  return text + "default " + std::to_string(font.defaultCode);
}

TEST(MapToOutput, GivesEveryCodeTheGlyphOfItsCharacterOrVariant) {
  const struct {
    FontModel font;
    const char* target;
    JapaneseTable table;
    std::string expected;
  } cases[] = {
      // The font has only one member of a variant pair: the code is drawn either way.
      {Font("ISO10646", {0x301C}), "shift_jis", kCp932, "8160:0 default 0"},  // wave dash as typed
      {Font("ISO10646", {0xFF5E}), "shift_jis", kJis, "8160:0 default 0"},    // full-width
      {Font("ISO10646", {0x5C, 0xA5}), "shift_jis", kJis, "5C:1 default 0"},  // both: their own
      {Font("ISO10646", {0xA5}), "shift_jis", kCp932, "5C:0 default 0"},      // yen fills backslash
      {Font("ISO10646", {0x9AD9}), "shift_jis", kCp932, "EEE0:0 FBFC:0 default 0"},
      {Font("ISO10646", {0xFF71, 0x41}), "jisx0201", kCp932, "41:1 B1:0 default 0"},
      {Font("JISX0208.1983", {0x2422, 0x2121}), "unicode", kJis, "3000:1 3042:0 default 0"},
      // Outside the Japanese code sets a character is drawn only at its own code.
      {Font("JISX0201.1976", {0x5C, 0x7E, 0x41}), "iso8859-1", kCp932, "41:2 A5:0 default 0"},
      // Under cp932 NEC row 13 repeats ≒ (JIS 0x2D70, 0x8790) of row 2 (0x2262,
      // 0x81E0): the glyph at the code cp932 encodes ≒ to stands for it.
      {Font("JISX0208.1983", {0x2D70, 0x2262}), "unicode", kCp932, "2252:1 default 0"},
      {Font("JISX0208.1983", {0x2D70, 0x2262}), "shift_jis", kCp932, "81E0:1 8790:1 default 0"},
      // The default character: the lowest code of its glyph, else kept last without one.
      {Font("ISO10646", {0x41, 0xFFFD}, 0xFFFD), "shift_jis", kCp932, "41:0 FFFFFFFF:1 default -1"},
  };
  for (auto c : cases) {
    const auto notes = MapToOutput(c.font, Output(c.target, c.table), c.table);
    ASSERT_TRUE(notes.ok()) << c.expected << ": " << notes.error().text;
    EXPECT_EQ(Describe(c.font), c.expected) << c.target;
  }
}

TEST(MapToOutput, NotesWhatIsLeftOutAndRefusesWhatCannotBeMapped) {
  const std::pair<FontModel, std::string> cases[] = {
      {Font("ISO10646", {0x41, 0x1F600, 0x0E01}),
       "2 glyphs have no code in shift_jis and were left out: U+1F600 😀 (line 2), U+0E01 ก "
       "(line 3)"},
      {Font("JISX0208.1983", {0x2D70, 0x2262, 0x2D71}),
       "1 glyph shares a character with another glyph and was left out: U+2252 ≒ (line 1)"},
      {Font("ISO10646", {0x1F600}), "No glyph has a code in the output's code set! [shift_jis]"},
      {Font("BIG5.ETEN", {0xA440}),
       "CHARSET is not support! [BIG5.ETEN] (its characters are not known, so it cannot be "
       "mapped)"}};
  for (auto [font, message] : cases) {
    const char* target = font.registry == "JISX0208.1983" ? "unicode" : "shift_jis";
    const auto mapped = MapToOutput(font, Output(target, kCp932), kCp932);
    EXPECT_EQ(mapped ? *mapped : std::vector{mapped.error().text}, std::vector{message});
  }
}

// "0x8140" or "33088", 0 .. 0xFFFF, nothing else.
TEST(ParseCode, ReadsHexadecimalAndDecimalCodesUpTo0xFFFF) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"0x8140", 0x8140}, {"0XfFfF", 0xFFFF}, {"65", 65}, {"0x10000", {}},
      {"65536", {}},      {"-0", {}},         {"0x", {}}, {"1e3", {}}};
  for (const auto& [text, code] : cases) EXPECT_EQ(ParseCode(text), code) << text;
}

TEST(MakeSubset, TakesATextAndACodeListAndRefusesWhatListsNothing) {
  const auto subset = MakeSubset("menu.txt", "\uFEFFba\r\nab", "0x20-0x7E,0x8140-0x84BE,65");
  ASSERT_TRUE(subset.ok()) << subset.error().text;
  EXPECT_EQ(subset->name, "menu.txt");
  EXPECT_EQ(subset->characters, U"ab");
  EXPECT_EQ(subset->codes, (std::vector<CodeInterval>{{0x20, 0x7E}, {0x8140, 0x84BE}, {65, 65}}));
  const struct {
    std::optional<std::string_view> text, codes;
    const char* refusal;
  } refused[] = {{"\uFEFF\r\n\t", {}, "menu.txt has no characters"},
                 {"ok\xff", {}, "menu.txt: not UTF-8 text (byte 3)"},
                 {{}, "", "no codes listed"},
                 {{}, "0x20-0x12345", "code 0x12345 is too large (codes go up to 0xFFFF)"},
                 {{}, "0x7E-0x20", "not a code or a range of codes: \"0x7E-0x20\""},
                 {{}, "1,,2", "not a code or a range of codes: \"\""},
                 {{}, "0x20-0x7E-0x80", "not a code or a range of codes: \"0x20-0x7E-0x80\""},
                 {{}, {}, "no characters or codes listed"}};
  for (const auto& c : refused) {
    const auto made = MakeSubset("menu.txt", c.text, c.codes);
    EXPECT_EQ(made ? "made" : made.error().text, c.refusal);
  }
}

TEST(ApplySubset, KeepsTheTextsCharactersAndTheDefaultAndReportsTheRest) {
  // Half- and full-width characters, the wave dash as typed (U+301C) finding
  // 0x8160, a character without a code and one without a glyph.
  FontModel font = Font("ISO10646", {0x41, 0x42, 0xFF71, 0x3042, 0xFF5E, 0x3000}, 0x3000);
  const CodeSpace output = Output("shift_jis", kCp932);
  ASSERT_TRUE(MapToOutput(font, output, kCp932).ok());
  const auto subset = MakeSubset("menu.txt", "Aｱあ〜😀éい", "0x42");
  const auto outcome = ApplySubset(font, *subset, {&output, {}});
  ASSERT_TRUE(outcome.ok());
  EXPECT_EQ(Describe(font), "41:0 42:1 B1:2 8140:5 8160:4 82A0:3 default 33088");
  EXPECT_EQ(outcome->warnings,
            (std::vector<Warning>{
                {"2 characters of menu.txt have no code in shift_jis",
                 "no code in shift_jis: U+00E9 é, U+1F600 😀"},
                {"1 character of menu.txt has no glyph in the font", "no glyph: U+3044 い"}}));
}

TEST(ApplySubset, KeepsAVariantOnlyInAJapaneseCodeSetAndRefusesTheDefaultAlone) {
  const struct {
    const char* target;
    const char* codes;
    const char* expected;  // or the refusal
  } cases[] = {
      {"shift_jis", nullptr, "20:2 41:1 5C:0 default 32"},  // ¥ finds the backslash
      {"iso8859-1", nullptr, "20:2 41:1 default 32"},
      {"iso8859-1", "0x9000-0x90FF", "No glyph is left in the subset!"},
  };
  for (const auto& c : cases) {
    FontModel font = Font("ISO10646", {0x5C, 0x41, 0x20}, 0x20);
    const CodeSpace output = Output(c.target, kCp932);
    ASSERT_TRUE(MapToOutput(font, output, kCp932).ok());
    const auto subset = c.codes ? MakeSubset("x", {}, c.codes) : MakeSubset("x", "¥A", {});
    const auto outcome = ApplySubset(font, *subset, {&output, {}});
    EXPECT_EQ(outcome.ok() ? Describe(font) : outcome.error().text, c.expected) << c.target;
  }
}

}  // namespace
}  // namespace kelvane
