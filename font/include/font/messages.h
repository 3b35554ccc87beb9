// The texts of the refusals the user sees. Values taken from a font or a path
// are cut to a readable length; nothing else is done to them here (the command
// escapes control bytes when it prints).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

inline constexpr std::string_view kFileNotSupported = "File is not support !";

// `text` cut to its first 80 bytes followed by "..." when it is longer; never
// cuts a UTF-8 character in two.
std::string Excerpt(std::string_view text);
// A path of more than 80 bytes shortened in the middle, so that its file name
// stays: "/home/user/.../k16.bdf".
std::string ShortPath(std::string_view path);

// "File is not support !", with the reason in brackets when there is one.
std::string FileNotSupported(std::string_view reason = {});
std::string CharsetNotSupported(std::string_view name, std::string_view hint = {});
std::string CannotReadFile(std::string_view path, std::string_view reason);

// "WHAT at line N! [LINE]" with " (reason)" when a reason is given; "WHAT! [LINE]"
// for line 0, from a source that has no lines.
std::string ValueOutOfRangeAt(std::int64_t lineNumber, std::string_view line,
                              std::string_view reason = {});
std::string DuplicateCodeAt(std::int64_t lineNumber, std::string_view line);

}  // namespace kelvane
