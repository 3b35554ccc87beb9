#include "font/character_text.h"

#include <cstdio>

namespace kelvane {
namespace {

// Not C0 or C1 controls, DEL, line and paragraph separators, or the marks that
// reorder text: those could change what a terminal or a label shows.
bool IsShown(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return false;
  if (c == 0x2028 || c == 0x2029 || c == 0x200E || c == 0x200F) return false;
  if ((c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069)) return false;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  return c <= 0x10FFFF;
}

void AppendUtf8(std::string& text, char32_t c) {
  const auto byte = [&](char32_t bits) { text += static_cast<char>(bits); };
  if (c < 0x80) {
    byte(c);
  } else if (c < 0x800) {
    byte(0xC0 | c >> 6);
    byte(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    byte(0xE0 | c >> 12);
    byte(0x80 | (c >> 6 & 0x3F));
    byte(0x80 | (c & 0x3F));
  } else {
    byte(0xF0 | c >> 18);
    byte(0x80 | (c >> 12 & 0x3F));
    byte(0x80 | (c >> 6 & 0x3F));
    byte(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string DescribeCharacter(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  std::string text = code;
  if (IsShown(c)) {
    text += ' ';
    AppendUtf8(text, c);
  }
  return text;
}

}  // namespace kelvane
