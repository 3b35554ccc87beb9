#include "font_report.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "terminal_text.h"

namespace kelvane {
namespace {

// "0x8140-0x8141  glyphs 0-1", or "0x82A0         glyph 2".
std::string RangeLine(const kvn_range& range) {
  const unsigned first = range.first_code - range.index_delta;
  const unsigned last = range.last_code - range.index_delta;
  std::string codes = CodeText(range.first_code);
  if (range.last_code != range.first_code) codes += "-" + CodeText(range.last_code);
  codes.resize(std::max<std::size_t>(codes.size(), 13), ' ');
  return "    " + codes + "  " +
         (first == last ? "glyph " + std::to_string(first)
                        : "glyphs " + std::to_string(first) + "-" + std::to_string(last)) +
         "\n";
}

// The first code that finds the default glyph, if any does.
std::optional<std::uint16_t> CodeOfDefault(const kvn_font& font) {
  for (const CodedGlyph& coded : CodesThroughRanges(font)) {
    if (coded.index == font.default_index) return coded.code;
  }
  return std::nullopt;
}

// A file name inside a C comment: no control bytes, and no end of the comment.
std::string CommentSafe(std::string text) {
  text = EscapeControlBytes(text);
  for (std::size_t at; (at = text.find("*/")) != std::string::npos;) text.replace(at, 2, "*\\/");
  return text;
}

constexpr std::string_view kCKeywords[] = {
    "auto",       "break",     "case",          "char",         "const",          "continue",
    "default",    "do",        "double",        "else",         "enum",           "extern",
    "float",      "for",       "goto",          "if",           "inline",         "int",
    "long",       "register",  "restrict",      "return",       "short",          "signed",
    "sizeof",     "static",    "struct",        "switch",       "typedef",        "union",
    "unsigned",   "void",      "volatile",      "while",        "_Bool",          "_Complex",
    "_Imaginary", "bool",      "true",          "false",        "nullptr",        "alignas",
    "alignof",    "constexpr", "static_assert", "thread_local", "typeof",         "_Alignas",
    "_Alignof",   "_Atomic",   "_Generic",      "_Noreturn",    "_Static_assert", "_Thread_local"};

}  // namespace

std::string DescribeFont(const LoadedFont& loaded) {
  const kvn_font& font = loaded.font;
  std::ostringstream out;
  out << EscapeControlBytes(loaded.path) << (loaded.converted ? " (BDF, converted in memory)" : "")
      << '\n';
  const std::size_t data = loaded.DataSize();
  out << "  size           " << loaded.fileSize << " bytes";
  if (loaded.fileSize > data) {
    out << " (" << data << " of font data, " << loaded.fileSize - data << " after it)";
  }
  out << '\n';
  out << "  glyphs         " << font.glyph_count << '\n';
  out << "  cell           " << int{font.cell_width} << "x" << int{font.cell_height} << '\n';
  out << "  bytes a glyph  " << int{font.glyph_bytes} << " of bitmap and 1 of advance\n";
  out << "  default glyph  index " << font.default_index;
  if (const auto code = CodeOfDefault(font)) {
    out << ", code " << CodeText(*code) << '\n';
  } else {
    out << ", found by no code\n";
  }
  out << "  ranges         " << font.range_count << ", "
      << (font.ranges_ascend ? "ascending" : "not ascending (lookups scan them in order)") << '\n';
  const unsigned count = font.range_count;
  const auto line = [&](unsigned i) {
    out << RangeLine(kvn_range_at(&font, static_cast<std::uint16_t>(i)));
  };
  if (count <= 20) {
    for (unsigned i = 0; i < count; ++i) line(i);
  } else {
    for (unsigned i = 0; i < 10; ++i) line(i);
    out << "    ... " << count - 15 << " more ...\n";
    for (unsigned i = count - 5; i < count; ++i) line(i);
  }
  return out.str();
}

bool IsCIdentifier(std::string_view name) {
  const auto letter = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  };
  if (name.empty() || !letter(name.front())) return false;
  if (!std::all_of(name.begin(), name.end(),
                   [&](char c) { return letter(c) || (c >= '0' && c <= '9'); })) {
    return false;
  }
  return std::find(std::begin(kCKeywords), std::end(kCKeywords), name) == std::end(kCKeywords);
}

std::string CArrayOf(const LoadedFont& loaded, const std::string& name) {
  const kvn_font& font = loaded.font;
  const std::size_t size = loaded.DataSize();
  std::string out = "/* " + CommentSafe(loaded.path) + (loaded.converted ? " (converted)" : "") +
                    ": a KVN font of " + std::to_string(font.glyph_count) + " glyphs, " +
                    std::to_string(font.cell_width) + "x" + std::to_string(font.cell_height) +
                    " cell, " + std::to_string(size) + " bytes; made by kvn c-array */\n";
  out += "static const unsigned char " + name + "[] = {\n";
  out.reserve(out.size() + size * 6 + size / 12 * 3 + 100);
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < size; ++i) {
    out += i % 12 == 0 ? "  " : " ";
    const std::uint8_t byte = loaded.bytes[i];
    out += {'0', 'x', kHex[byte >> 4], kHex[byte & 0xF], ','};
    if (i % 12 == 11 || i + 1 == size) out += '\n';
  }
  out += "};\n";
  out += "static const unsigned int " + name + "_len = " + std::to_string(size) + ";\n";
  return out;
}

}  // namespace kelvane
