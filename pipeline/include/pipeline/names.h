// The names users choose from, and how codes and characters are written, in
// one place for every command and window. Each function is defined by the
// layer that holds its rule (mapping, the font model); the front ends, which
// see no layer below the pipeline, find them declared here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvane {

// The output code sets: shift_jis, jisx0208, jisx0201, iso8859-1 .. iso8859-16
// (no 12), unicode.
std::span<const std::string_view> OutputCodeSetNames();
// "shift_jis, jisx0208, jisx0201, iso8859-1 .. iso8859-16, unicode", for help texts.
std::string CodeSetNameSummary();
// The Japanese tables: cp932 (the default), jis.
std::span<const std::string_view> JapaneseTableNames();

// The code set text is encoded in when no other is chosen.
inline constexpr std::string_view kDefaultTextCodeSet = "shift_jis";

// A code as users write it: 0x hexadecimal or decimal, 0 to 0xFFFF.
std::optional<std::int32_t> ParseCode(std::string_view text);

// "U+3042 あ": the code point, and the character unless it is a control
// character.
std::string DescribeCharacter(char32_t c);

}  // namespace kelvane
