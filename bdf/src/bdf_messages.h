// The refusal texts only the BDF reader gives, worded as the shared ones are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane::bdf {

// "WHAT at line N! [LINE]", the line cut to a readable length.
std::string InvalidNumberAt(std::int64_t lineNumber, std::string_view line);
std::string CellSizeChangedAt(std::int64_t lineNumber, std::string_view line);
std::string UnexpectedEndAt(std::int64_t lineNumber, std::string_view line);
std::string MissingEndcharAt(std::int64_t lineNumber, std::string_view line);

// "File is not support ! (more than 1 GiB of text after decompression)", the
// size in the largest unit that divides it.
std::string InflatesTooMuch(std::uint64_t maxOutput);

}  // namespace kelvane::bdf
