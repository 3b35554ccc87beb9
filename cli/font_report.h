// What kvn info prints about a font: its description, for people.
#pragma once

#include <string>

#include "render/font_file.h"

namespace kelvane {

// The header fields, sizes, the default glyph and the ranges, for people.
// Control bytes in the path are escaped.
std::string DescribeFont(const LoadedFont& loaded);

}  // namespace kelvane
