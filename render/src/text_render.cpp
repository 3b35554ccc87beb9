#include "render/text_render.h"

#include <cstdio>

#include "pipeline/conversion.h"
#include "render/font_file.h"

namespace kelvane {
namespace {

std::string Utf8Of(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// C0 and C1 controls, DEL, line and paragraph separators, and the marks that
// reorder text: shown by number only.
bool IsUnsafeOnTerminal(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
         (c >= 0x200E && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

Result<std::vector<GlyphPick>> PickGlyphsForText(const kvn_font& font, std::string_view text,
                                                 const std::string& charset,
                                                 const std::string& table) {
  auto encoded = EncodeText(text, charset, table);
  if (!encoded) return std::move(encoded).error();
  std::vector<GlyphPick> picks;
  picks.reserve(encoded->size());
  for (const TextCode& item : *encoded) {
    GlyphPick pick = PickGlyphForCode(font, item.code.value_or(-1));
    if (!item.code) pick.code.reset();
    pick.character = item.character;
    picks.push_back(pick);
  }
  return picks;
}

GlyphPick PickGlyphForCode(const kvn_font& font, std::int64_t code) {
  GlyphPick pick;
  pick.code = code;
  pick.found = code >= 0 && code <= 0xFFFF &&
               kvn_lookup(&font, static_cast<std::uint32_t>(code), &pick.index) != 0;
  if (!pick.found) pick.index = font.default_index;
  return pick;
}

std::string CharacterText(char32_t character) {
  char number[16];
  std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(character));
  return IsUnsafeOnTerminal(character) ? number : number + (" " + Utf8Of(character));
}

std::string PickHeading(const kvn_font& font, const GlyphPick& pick) {
  std::string heading;
  if (pick.character) heading = CharacterText(*pick.character) + " ";
  if (!pick.code) {
    heading += "no code; default glyph";
  } else {
    heading += CodeText(static_cast<std::uint32_t>(*pick.code));
    if (!pick.found) heading += " not in the font; default glyph";
  }
  return heading + " index " + std::to_string(pick.index) + " advance " +
         std::to_string(kvn_glyph_at(&font, pick.index).advance);
}

std::string GlyphArt(const kvn_font& font, std::uint16_t index) {
  const kvn_glyph glyph = kvn_glyph_at(&font, index);
  std::string art;
  art.reserve(static_cast<std::size_t>(font.cell_width + 1) * font.cell_height);
  for (int y = 0; y < font.cell_height; ++y) {
    for (int x = 0; x < font.cell_width; ++x) art += InkAt(font, glyph, x, y) ? '#' : '.';
    art += '\n';
  }
  return art;
}

std::int64_t LineWidth(const kvn_font& font, const std::vector<GlyphPick>& picks) {
  std::int64_t width = 0;
  for (const GlyphPick& pick : picks) width += kvn_glyph_at(&font, pick.index).advance;
  return width > 0 ? width : 1;
}

GrayImage RenderLine(const kvn_font& font, const std::vector<GlyphPick>& picks, int scale) {
  GrayImage image(static_cast<int>(LineWidth(font, picks) * scale), font.cell_height * scale,
                  kPaper);
  int x = 0;
  for (const GlyphPick& pick : picks) {
    const kvn_glyph glyph = kvn_glyph_at(&font, pick.index);
    DrawGlyph(image, font, glyph, x, 0, scale);
    x += glyph.advance * scale;
  }
  return image;
}

}  // namespace kelvane
