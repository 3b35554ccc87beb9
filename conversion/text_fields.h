// Splitting a BDF line's values into fields and reading decimal numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kelvane {

// A blank is a space or a tab.
bool IsBlank(char c);

// The fields of `text`, separated by runs of blanks.
std::vector<std::string_view> SplitFields(std::string_view text);

// An optional "-" and one or more decimal digits whose value fits 32 bits.
std::optional<std::int32_t> ParseInt32(std::string_view field);

// The first field of `text` as a number; nullopt when there is none or it is
// not a number.
std::optional<std::int32_t> FirstNumber(std::string_view text);

// `text` without blanks at either end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace kelvane
