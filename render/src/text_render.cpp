#include "render/text_render.h"

#include "pipeline/conversion.h"
#include "pipeline/names.h"
#include "render/font_file.h"

namespace kelvane {

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

std::string PickHeading(const kvn_font& font, const GlyphPick& pick) {
  std::string heading;
  if (pick.character) heading = DescribeCharacter(*pick.character) + " ";
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
