// Keeping only the glyphs a user needs: the characters of a text, a list of
// output codes, or both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "font/font_model.h"
#include "font/result.h"
#include "mapping/code_space.h"

namespace kelvane {

struct CodeInterval {
  std::int32_t first = 0;
  std::int32_t last = 0;
  bool operator==(const CodeInterval&) const = default;
};

// One code: hexadecimal after 0x or 0X ("0x8140"), or decimal ("33088"), from
// 0 to 0xFFFF; nullopt for anything else.
std::optional<std::int32_t> ParseCode(std::string_view text);

// "0x20-0x7E,0x8140-0x84BE,65": codes (as ParseCode reads them) and ranges of
// codes, separated by commas. Refuses an empty list, a code above 0xFFFF (by
// name), and anything else that is not a code or a range.
Result<std::vector<CodeInterval>> ParseCodeList(std::string_view list);

// The character of UTF-8 text at `at`, which moves past it; nullopt where the
// bytes are not UTF-8.
std::optional<char32_t> NextCharacter(std::string_view utf8, std::size_t& at);

// The distinct characters of UTF-8 text, line ends and other control
// characters aside; a failure when the text is not UTF-8.
Result<std::u32string> CharactersOfText(std::string_view utf8);

struct Subset {
  std::optional<std::u32string> characters;  // from --chars
  std::vector<CodeInterval> codes;           // from --codes
  std::string name;                          // names the text in messages, e.g. "menu.txt"
};

// The subset of the characters of a UTF-8 text (`name` names it: "menu.txt"),
// of a code list, or of both. Refuses text that is not UTF-8 or has no
// characters once control characters and a byte order mark are dropped, and a
// code list ParseCodeList refuses.
Result<Subset> MakeSubset(std::string name, std::optional<std::string_view> charsText,
                          std::optional<std::string_view> codeList);

// Where the characters of output codes are looked up: the output code set, or
// (without one) the character set of the font each glyph came from, by file.
struct SubsetSpaces {
  const CodeSpace* output = nullptr;
  std::vector<const CodeSpace*> byFile;
};

// Keeps the glyphs whose code is listed, or whose character (or, in a Japanese
// code set, its variant) is in the text, and always the default character.
// Characters of the text without a code, or with a code but no glyph, are
// warned of, by name in the detail. A subset that keeps no glyph besides the
// default is refused.
struct SubsetOutcome {
  std::vector<std::string> notes;  // told on request
  std::vector<Warning> warnings;   // told always, their detail on request
};
Result<SubsetOutcome> ApplySubset(FontModel& font, const Subset& subset,
                                  const SubsetSpaces& spaces);

}  // namespace kelvane
