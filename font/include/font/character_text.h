// Characters named in messages.
#pragma once

#include <string>

namespace kelvane {

// "U+3042 あ": the code point in at least four hexadecimal digits, then a
// blank and the character in UTF-8, which is left out for a control character
// (below U+0020, U+007F, U+0080 .. U+009F), a surrogate and anything past
// U+10FFFF.
std::string DescribeCharacter(char32_t c);

}  // namespace kelvane
