// Output code sets from ICU's tables, the variant pairs, mapping a font into a
// code set, and subsets.
#include <gtest/gtest.h>

#include "mapping/code_space.h"
#include "mapping/output_mapping.h"
#include "mapping/subset.h"

namespace kelvane {
namespace {

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
  const CodeSpace jis = Output("shift_jis", JapaneseTable::kJis);
  const CodeSpace cp932 = Output("shift_jis", JapaneseTable::kCp932);
  for (const auto& c : cases) {
    EXPECT_EQ(jis.Decode(c.code), c.jis) << std::hex << c.code;
    EXPECT_EQ(cp932.Decode(c.code), c.cp932) << std::hex << c.code;
  }
}

TEST(CodeSpace, HoldsExactlyTheCodesOfItsSet) {
  const CodeSpace jis = Output("shift_jis", JapaneseTable::kJis);
  const CodeSpace cp932 = Output("shift_jis", JapaneseTable::kCp932);
  const CodeSpace full = Output("jisx0208", JapaneseTable::kCp932);
  const CodeSpace half = Output("jisx0201", JapaneseTable::kJis);
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
  } cases[] = {
      {"iso8859-2", 0xA1, 0x0104},
      {"iso8859-16", 0xA4, 0x20AC},
      {"iso8859-11", 0xDB, std::nullopt},
      {"unicode", 0x1F600, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Output(c.name, JapaneseTable::kCp932).Decode(c.code), c.c) << c.name;
  }
  for (const char* bad : {"iso8859-12", "iso8859-17", "sjis", ""}) {
    EXPECT_FALSE(CodeSpace::ForOutput(bad, JapaneseTable::kCp932).ok()) << bad;
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
    const char* name;
    FontModel font;
    const char* target;
    JapaneseTable table;
    std::string expected;
  } cases[] = {
      // The font has only one member of a variant pair: the code is drawn either way.
      {"wave dash as typed, cp932", Font("ISO10646", {0x301C}), "shift_jis", JapaneseTable::kCp932,
       "8160:0 default 0"},
      {"wave dash full-width, jis", Font("ISO10646", {0xFF5E}), "shift_jis", JapaneseTable::kJis,
       "8160:0 default 0"},
      {"both members keep their own", Font("ISO10646", {0x5C, 0xA5}), "shift_jis",
       JapaneseTable::kJis, "5C:1 default 0"},
      {"yen fills the backslash", Font("ISO10646", {0xA5}), "shift_jis", JapaneseTable::kCp932,
       "5C:0 default 0"},
      {"one character, two codes", Font("ISO10646", {0x9AD9}), "shift_jis", JapaneseTable::kCp932,
       "EEE0:0 FBFC:0 default 0"},
      {"half-width katakana", Font("ISO10646", {0xFF71, 0x41}), "jisx0201", JapaneseTable::kCp932,
       "41:1 B1:0 default 0"},
      {"JIS X 0208 font into unicode", Font("JISX0208.1983", {0x2422, 0x2121}), "unicode",
       JapaneseTable::kJis, "3000:1 3042:0 default 0"},
      // The default character: the lowest code of its glyph, else kept last without one.
      {"default without a code", Font("ISO10646", {0x41, 0xFFFD}, 0xFFFD), "shift_jis",
       JapaneseTable::kCp932, "41:0 FFFFFFFF:1 default -1"},
  };
  for (auto c : cases) {
    const auto notes = MapToOutput(c.font, Output(c.target, c.table), c.table);
    ASSERT_TRUE(notes.ok()) << c.name << ": " << notes.error().text;
    EXPECT_EQ(Describe(c.font), c.expected) << c.name;
  }
}

TEST(MapToOutput, ReportsWhatIsLeftOutAndRefusesWhatCannotBeMapped) {
  FontModel font = Font("ISO10646", {0x41, 0x1F600, 0x0E01});
  const auto notes =
      MapToOutput(font, Output("shift_jis", JapaneseTable::kCp932), JapaneseTable::kCp932);
  ASSERT_TRUE(notes.ok());
  EXPECT_EQ(*notes, std::vector<std::string>{"2 glyphs have no code in shift_jis and were left "
                                             "out: U+1F600 😀 (line 2), U+0E01 ก (line 3)"});
  const std::pair<FontModel, std::string> refused[] = {
      {Font("ISO10646", {0x1F600}), "No glyph has a code in the output's code set! [shift_jis]"},
      {Font("BIG5.ETEN", {0xA440}),
       "CHARSET is not support! [BIG5.ETEN] (its characters are not known, so it cannot be "
       "mapped)"},
  };
  for (auto [font, message] : refused) {
    const auto mapped =
        MapToOutput(font, Output("shift_jis", JapaneseTable::kCp932), JapaneseTable::kCp932);
    ASSERT_FALSE(mapped.ok()) << message;
    EXPECT_EQ(mapped.error().text, message);
  }
}

TEST(ParseCodeList, ReadsCodesAndRanges) {
  EXPECT_EQ(*ParseCodeList("0x20-0x7E,0x8140-0x84BE,65"),
            (std::vector<CodeInterval>{{0x20, 0x7E}, {0x8140, 0x84BE}, {65, 65}}));
  for (const char* bad : {"", "0x20-", "0x7E-0x20", "x", "1,,2", "0x20-0x7E-0x80", "-1"}) {
    EXPECT_FALSE(ParseCodeList(bad).ok()) << bad;
  }
  EXPECT_FALSE(CharactersOfText("ok\xff").ok());
  EXPECT_EQ(*CharactersOfText("\xEF\xBB\xBF"
                              "ba\r\nab"),
            U"ab");
}

TEST(ApplySubset, KeepsTheTextsCharactersAndTheDefaultAndReportsTheRest) {
  // Half- and full-width characters, the wave dash as typed (U+301C) finding
  // 0x8160, a character without a code and one without a glyph.
  FontModel font = Font("ISO10646", {0x41, 0x42, 0xFF71, 0x3042, 0xFF5E, 0x3000}, 0x3000);
  const CodeSpace output = Output("shift_jis", JapaneseTable::kCp932);
  ASSERT_TRUE(MapToOutput(font, output, JapaneseTable::kCp932).ok());
  Subset subset{std::u32string(U"Aｱあ〜😀い"), {{0x42, 0x42}}, "menu.txt"};
  std::sort(subset.characters->begin(), subset.characters->end());
  const auto outcome = ApplySubset(font, subset, {&output, {}});
  ASSERT_TRUE(outcome.ok());
  EXPECT_EQ(Describe(font), "41:0 42:1 B1:2 8140:5 8160:4 82A0:3 default 33088");
  EXPECT_EQ(outcome->notes,
            (std::vector<std::string>{"no code in shift_jis: U+1F600 😀", "no glyph: U+3044 い"}));
  EXPECT_EQ(outcome->warnings.size(), 2u);
  subset = Subset{std::u32string(U"😀"), {}, "x"};
  EXPECT_EQ(ApplySubset(font, subset, {&output, {}}).ok(), true);  // the default stays
  FontModel none = Font("ISO10646", {0x41});
  ASSERT_TRUE(MapToOutput(none, output, JapaneseTable::kCp932).ok());
  none.defaultCode = 0x42;
  EXPECT_EQ(ApplySubset(none, subset, {&output, {}}).error().text,
            "No glyph is left in the subset!");
}

}  // namespace
}  // namespace kelvane
