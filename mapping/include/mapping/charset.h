// Character sets a font may be registered in, and the mapping of its codes.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvane {

enum CharsetId : std::int16_t {
  CHARSET_ISO8859 = 0,
  CHARSET_JISX0201 = 1,
  CHARSET_JISX0208 = 2,
  CHARSET_ISO646 = 3,  // ISO646.1991-IRV, which is ASCII
  CHARSET_CP1252 = 4,  // Windows' Western code page, of Windows bitmap fonts
  CHARSET_UNSUPPORTED = -1,
};

// Identifies a character set by the upper-cased beginning of its name, a
// CHARSET_REGISTRY value with or without its "-" and CHARSET_ENCODING.
CharsetId CharsetIdOf(std::string_view name);

// The code stored in the output for a code of a font registered as charsetName:
// JIS X 0208 codes become Shift_JIS codes, all others stay as they are.
// The same for a character set already identified.
std::int32_t ConvertCode(CharsetId charset, std::int32_t code);

// Turns a JIS X 0208 row/cell code into its Shift_JIS code; codes below 0x100
// pass through. No range check is made.
std::int32_t JisToSjis(std::int32_t code);

}  // namespace kelvane
