#include "mapping/subset.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <charconv>
#include <limits>

#include "font/character_text.h"

namespace kelvane {
namespace {

constexpr std::size_t kNamedCharacters = 20;
constexpr std::uint32_t kLastCode = 0xFFFF;

// The number `text` spells, hexadecimal after 0x or 0X, else decimal; the
// largest uint32 for any larger one; nullopt when it spells none.
std::optional<std::uint32_t> ParseNumber(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) return std::numeric_limits<std::uint32_t>::max();
  if (error != std::errc()) return std::nullopt;
  return value;
}

bool InIntervals(const std::vector<CodeInterval>& intervals, std::int32_t code) {
  return std::any_of(intervals.begin(), intervals.end(), [&](const CodeInterval& interval) {
    return code >= interval.first && code <= interval.last;
  });
}

const CodeSpace* SpaceOf(const SubsetSpaces& spaces, const Glyph& glyph) {
  if (spaces.output != nullptr) return spaces.output;
  return glyph.source.file < spaces.byFile.size() ? spaces.byFile[glyph.source.file] : nullptr;
}

// The codes any of the spaces gives `c` (or, in a Japanese one, its variant).
std::vector<std::int32_t> CodesFor(char32_t c, const SubsetSpaces& spaces) {
  std::vector<const CodeSpace*> all = spaces.byFile;
  if (spaces.output != nullptr) all = {spaces.output};
  std::vector<std::int32_t> codes;
  for (const CodeSpace* space : all) {
    if (space == nullptr) continue;
    const auto found = space->CodesFor(c);
    codes.insert(codes.end(), found.begin(), found.end());
  }
  return codes;
}

std::string CharacterList(const std::u32string& chars) {
  std::string text;
  for (std::size_t i = 0; i < chars.size() && i < kNamedCharacters; ++i) {
    text += (i > 0 ? ", " : "") + DescribeCharacter(chars[i]);
  }
  if (chars.size() > kNamedCharacters) text += ", ...";
  return text;
}

// "1 character of menu.txt has ...", "3 characters of menu.txt have ...".
Warning CharactersWarning(const std::u32string& chars, const std::string& name,
                          const std::string& what, const std::string& detail) {
  const bool one = chars.size() == 1;
  return {std::to_string(chars.size()) + (one ? " character of " : " characters of ") + name +
              (one ? " has " : " have ") + what,
          detail + ": " + CharacterList(chars)};
}

}  // namespace

std::optional<std::int32_t> ParseCode(std::string_view text) {
  const auto value = ParseNumber(text);
  if (!value || *value > kLastCode) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

Result<std::vector<CodeInterval>> ParseCodeList(std::string_view list) {
  std::vector<CodeInterval> intervals;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    const std::size_t dash = item.find('-');
    const std::string_view firstText = item.substr(0, dash);
    const std::string_view lastText =
        dash == std::string_view::npos ? firstText : item.substr(dash + 1);
    for (const std::string_view each : {firstText, lastText}) {
      const auto value = ParseNumber(each);
      if (value && *value > kLastCode) {
        return Diagnostic{.text = "code " + std::string(each) +
                                  " is too large (codes go up to 0xFFFF)"};
      }
    }
    const auto first = ParseCode(firstText);
    const auto last = ParseCode(lastText);
    if (!first || !last || *last < *first) {
      return Diagnostic{.text = "not a code or a range of codes: \"" + std::string(item) + "\""};
    }
    intervals.push_back({*first, *last});
  }
  if (intervals.empty()) return Diagnostic{.text = "no codes listed"};
  return intervals;
}

std::optional<char32_t> NextCharacter(std::string_view utf8, std::size_t& at) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
  const auto length = static_cast<std::int32_t>(utf8.size());
  auto i = static_cast<std::int32_t>(at);
  UChar32 c = 0;
  U8_NEXT(bytes, i, length, c);
  at = static_cast<std::size_t>(i);
  if (c < 0) return std::nullopt;
  return static_cast<char32_t>(c);
}

Result<std::u32string> CharactersOfText(std::string_view utf8) {
  std::u32string chars;
  for (std::size_t at = 0; at < utf8.size();) {
    const auto c = NextCharacter(utf8, at);
    if (!c) return Diagnostic{.text = "not UTF-8 text (byte " + std::to_string(at) + ")"};
    if (*c < 0x20 || *c == 0x7F || *c == 0xFEFF) continue;  // line ends, a byte order mark
    chars.push_back(*c);
  }
  std::sort(chars.begin(), chars.end());
  chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
  return chars;
}

Result<Subset> MakeSubset(std::string name, std::optional<std::string_view> charsText,
                          std::optional<std::string_view> codeList) {
  Subset subset;
  subset.name = std::move(name);
  if (!charsText && !codeList) return Diagnostic{.text = "no characters or codes listed"};
  if (charsText) {
    auto chars = CharactersOfText(*charsText);
    if (!chars) return Diagnostic{.text = subset.name + ": " + chars.error().text};
    if (chars->empty()) return Diagnostic{.text = subset.name + " has no characters"};
    subset.characters = std::move(*chars);
  }
  if (codeList) {
    auto codes = ParseCodeList(*codeList);
    if (!codes) return std::move(codes).error();
    subset.codes = std::move(*codes);
  }
  return subset;
}

Result<SubsetOutcome> ApplySubset(FontModel& font, const Subset& subset,
                                  const SubsetSpaces& spaces) {
  SubsetOutcome outcome;
  std::u32string wanted;
  if (subset.characters) wanted = *subset.characters;
  const auto isWanted = [&](char32_t c) {
    return std::binary_search(wanted.begin(), wanted.end(), c);
  };
  // Whether the subset asks for the glyph; the default is kept besides.
  const auto asked = [&](const Glyph& glyph) {
    if (InIntervals(subset.codes, glyph.code)) return true;
    const CodeSpace* space = SpaceOf(spaces, glyph);
    if (space == nullptr || wanted.empty()) return false;
    const auto c = space->Decode(glyph.code);
    if (!c) return false;
    const auto variant = space->VariantOf(*c);
    return isWanted(*c) || (variant && isWanted(*variant));
  };
  if (subset.characters) {
    std::vector<std::int32_t> present;
    present.reserve(font.glyphs.size());
    for (const Glyph& glyph : font.glyphs) present.push_back(glyph.code);
    std::sort(present.begin(), present.end());
    std::u32string noCode, noGlyph;
    for (const char32_t c : wanted) {
      const auto codes = CodesFor(c, spaces);
      if (codes.empty()) {
        noCode += c;
      } else if (std::none_of(codes.begin(), codes.end(), [&](std::int32_t code) {
                   return std::binary_search(present.begin(), present.end(), code);
                 })) {
        noGlyph += c;
      }
    }
    const std::string where = spaces.output != nullptr ? spaces.output->name() : "the font";
    if (!noCode.empty()) {
      outcome.warnings.push_back(
          CharactersWarning(noCode, subset.name, "no code in " + where, "no code in " + where));
    }
    if (!noGlyph.empty()) {
      outcome.warnings.push_back(
          CharactersWarning(noGlyph, subset.name, "no glyph in the font", "no glyph"));
    }
  }
  std::size_t askedCount = 0;
  std::erase_if(font.glyphs, [&](const Glyph& glyph) {
    if (asked(glyph)) {
      ++askedCount;
      return false;
    }
    return glyph.code != font.defaultCode;
  });
  if (askedCount == 0) {
    return Diagnostic{font.files.empty() ? std::string() : font.files.front(), 0,
                      "No glyph is left in the subset!"};
  }
  return outcome;
}

}  // namespace kelvane
