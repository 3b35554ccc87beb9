// What the command prints about a font: its description, and its bytes as C.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "render/font_file.h"

namespace kelvane {

// The header fields, sizes, the default glyph and the ranges, for people.
// Control bytes in the path are escaped.
std::string DescribeFont(const LoadedFont& loaded);

// Why `name` cannot name the array of a C header (and NAME_len its length)
// that C and C++ files can include after any standard header: not an
// identifier, a keyword, reserved, predefined, or a macro of a standard
// header; nothing when it can.
std::optional<std::string> CNameProblem(std::string_view name);

// A C header holding the font's data (the bytes its header accounts for) as
// `static const unsigned char NAME[]` and its length as NAME_len.
std::string CArrayOf(const LoadedFont& loaded, const std::string& name);

}  // namespace kelvane
