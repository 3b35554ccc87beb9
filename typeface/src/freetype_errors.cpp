#include <ft2build.h>

#include <cstdio>
#include <string>

#include "typeface/typeface_reader.h"
#include FT_TYPES_H
#include FT_MODULE_ERRORS_H

namespace kelvane::typeface {
namespace {

struct ErrorName {
  int code;
  const char* text;
};

// FreeType's own list of errors, expanded into a table: Debian's build leaves
// out FT_Error_String's texts.
#undef FTERRORS_H_
#define FT_ERRORDEF(e, v, s) {v, s},
#define FT_ERROR_START_LIST {
#define FT_ERROR_END_LIST \
  { 0, nullptr }          \
  }                       \
  ;
constexpr ErrorName kErrorNames[] =
#include FT_ERRORS_H

}  // namespace

std::string FreeTypeErrorText(int error) {
  const int base = FT_ERROR_BASE(error);
  for (const ErrorName& name : kErrorNames) {
    if (name.text != nullptr && name.code == base) return name.text;
  }
  char text[32];
  std::snprintf(text, sizeof text, "error 0x%02X", static_cast<unsigned>(error) & 0xFFFFu);
  return text;
}

}  // namespace kelvane::typeface
