// Splitting a BDF line's values into fields and reading decimal numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kelvane::bdf {

// A blank is a space or a tab.
bool IsBlank(char c);

// Fills `fields` with the first fields of `text`, separated by runs of blanks;
// returns how many it filled.
std::size_t SplitFields(std::string_view text, std::span<std::string_view> fields);

// An optional "-" and one or more decimal digits whose value fits 32 bits.
std::optional<std::int32_t> ParseInt32(std::string_view field);

// The first field of `text` as a number; nullopt when there is none or it is
// not a number.
std::optional<std::int32_t> FirstNumber(std::string_view text);

// `text` without blanks at either end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace kelvane::bdf
