// Text from fonts and paths made safe to print on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// `text` with each control byte (below 0x20, and 0x7F) written as \xNN, so a
// font or a file name cannot move the cursor, retitle or clear the terminal.
// A backslash stays as it is.
std::string EscapeControlBytes(std::string_view text);

}  // namespace kelvane
