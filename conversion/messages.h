// The texts of the refusals the user sees.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

inline constexpr std::string_view kFileNotSupported = "File is not support !";

// `text` cut to its first 80 characters followed by "..." when it is longer.
std::string Excerpt(std::string_view text);

std::string CharsetNotSupported(std::string_view name);
std::string CannotOpenFile(std::string_view path, std::string_view reason);
std::string CannotReadFile(std::string_view path, std::string_view reason);
std::string InvalidNumberAt(std::int64_t lineNumber, std::string_view line);
std::string ValueOutOfRangeAt(std::int64_t lineNumber, std::string_view line);
std::string CodeOrderAt(std::int64_t lineNumber, std::string_view line);
std::string CellSizeChangedAt(std::int64_t lineNumber, std::string_view line);
std::string UnexpectedEndAt(std::int64_t lineNumber, std::string_view line);
std::string OutputIsInput(std::string_view path);
std::string CannotWriteFile(std::string_view path, std::string_view reason);

}  // namespace kelvane
