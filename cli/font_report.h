// What the command prints about a font: its description, and its bytes as C.
#pragma once

#include <string>
#include <string_view>

#include "render/font_file.h"

namespace kelvane {

// The header fields, sizes, the default glyph and the ranges, for people.
// Control bytes in the path are escaped.
std::string DescribeFont(const LoadedFont& loaded);

// Whether `name` can name a C array: an identifier that is not a keyword.
bool IsCIdentifier(std::string_view name);

// A C header holding the font's data (the bytes its header accounts for) as
// `static const unsigned char NAME[]` and its length as NAME_len.
std::string CArrayOf(const LoadedFont& loaded, const std::string& name);

}  // namespace kelvane
