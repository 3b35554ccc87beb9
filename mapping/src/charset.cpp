#include "mapping/charset.h"

#include <cctype>
#include <string>

namespace kelvane {
namespace {

bool StartsWithUpperCased(std::string_view name, std::string_view prefix) {
  if (name.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (std::toupper(c) != static_cast<unsigned char>(prefix[i])) return false;
  }
  return true;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

}  // namespace

CharsetId CharsetIdOf(std::string_view name) {
  if (StartsWithUpperCased(name, "ISO8859")) return CHARSET_ISO8859;
  if (StartsWithUpperCased(name, "JISX0201")) return CHARSET_JISX0201;
  if (StartsWithUpperCased(name, "JISX0208")) return CHARSET_JISX0208;
  if (StartsWithUpperCased(name, "ISO646.1991-IRV")) return CHARSET_ISO646;
  if (StartsWithUpperCased(name, "CP1252")) return CHARSET_CP1252;
  return CHARSET_UNSUPPORTED;
}

std::int32_t ConvertCode(CharsetId charset, std::int32_t code) {
  return charset == CHARSET_JISX0208 ? JisToSjis(code) : code;
}

std::int32_t JisToSjis(std::int32_t code) {
  const std::int64_t hi = FloorDiv(code, 256);
  std::int64_t lo = static_cast<std::int64_t>(code) % 256;  // keeps the sign of code
  if (hi == 0) return code;
  lo += (hi % 2 != 0) ? 0x1F : 0x7D;
  if (lo > 0x7E) ++lo;
  const std::int64_t hi2 = FloorDiv(hi + 1, 2) + (hi < 0x5F ? 0x70 : 0xB0);
  return static_cast<std::int32_t>(hi2 * 256 + lo);
}

}  // namespace kelvane
