#include "font_report.h"

#include <algorithm>
#include <cstdio>
#include <optional>
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

}  // namespace

std::string DescribeFont(const LoadedFont& loaded) {
  const kvn_font& font = loaded.font;
  std::ostringstream out;
  out << EscapeControlBytes(loaded.path) << (loaded.converted ? " (converted in memory)" : "")
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

}  // namespace kelvane
