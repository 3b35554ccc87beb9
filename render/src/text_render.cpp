#include "render/text_render.h"

#include "pipeline/conversion.h"
#include "pipeline/names.h"
#include "render/font_file.h"

namespace kelvane {
namespace {

// The reader's decoder for text in an output code set, whose name EncodeText
// has accepted.
kvn_decoder DecoderFor(const std::string& charset) {
  if (charset == "unicode") return kvn_decode_utf8;
  if (charset == "shift_jis" || charset == "jisx0208") return kvn_decode_sjis;
  return kvn_decode_byte;  // jisx0201 and ISO 8859
}

// A code's bytes: one for a code up to 0xFF, else two, the high byte first.
std::string BytesOfCode(std::int32_t code) {
  std::string bytes;
  if (code > 0xFF) bytes += static_cast<char>(code >> 8);
  bytes += static_cast<char>(code & 0xFF);
  return bytes;
}

// A character that has no bytes on a device stands as one byte read as a
// code past 16 bits, which no font holds: the reader draws the default glyph.
std::size_t DecodeCharacterWithoutBytes(const std::uint8_t*, std::size_t length,
                                        std::uint32_t* code) {
  if (length == 0) return 0;
  *code = 0x10000;
  return 1;
}

// A stretch of the line that the device reader reads with one decoder.
struct Stretch {
  std::string bytes;
  kvn_decoder decode;
};

// The picks as stretches in order: the bytes of neighbours read alike joined,
// each character without bytes a stretch of its own.
std::vector<Stretch> StretchesOf(const std::vector<GlyphPick>& picks) {
  std::vector<Stretch> stretches;
  for (const GlyphPick& pick : picks) {
    if (pick.decode == nullptr) {
      stretches.push_back({std::string(1, '\0'), DecodeCharacterWithoutBytes});
    } else if (!stretches.empty() && stretches.back().decode == pick.decode) {
      stretches.back().bytes += pick.bytes;
    } else {
      stretches.push_back({pick.bytes, pick.decode});
    }
  }
  return stretches;
}

const std::uint8_t* Unsigned(const std::string& bytes) {
  return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

// Where kvn_draw_text plots: an image at a scale.
struct ScaledImage {
  GrayImage* image;
  int scale;
};

void PlotScaled(void* context, int x, int y) {
  const auto* to = static_cast<const ScaledImage*>(context);
  to->image->Fill(x * to->scale, y * to->scale, to->scale, to->scale, kInk);
}

}  // namespace

Result<std::vector<GlyphPick>> PickGlyphsForText(const kvn_font& font, std::string_view text,
                                                 const std::string& charset,
                                                 const std::string& table) {
  auto encoded = EncodeText(text, charset, table);
  if (!encoded) return std::move(encoded).error();
  const kvn_decoder decode = DecoderFor(charset);
  std::vector<GlyphPick> picks;
  picks.reserve(encoded->size());
  const auto* utf8 = reinterpret_cast<const std::uint8_t*>(text.data());
  std::size_t at = 0;
  for (const TextCode& item : *encoded) {
    // The character's UTF-8 bytes: EncodeText takes valid UTF-8 only, which
    // the reader decodes a character a step.
    std::uint32_t character = 0;
    const std::size_t length = kvn_decode_utf8(utf8 + at, text.size() - at, &character);
    GlyphPick pick = PickGlyphForCode(font, item.code.value_or(-1));
    if (!item.code) pick.code.reset();
    pick.character = item.character;
    if (decode == kvn_decode_utf8) {
      pick.bytes = text.substr(at, length);
    } else if (item.code) {
      pick.bytes = BytesOfCode(*item.code);
    }
    if (!pick.bytes.empty()) pick.decode = decode;
    at += length;
    picks.push_back(std::move(pick));
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
  for (const Stretch& stretch : StretchesOf(picks)) {
    width += static_cast<std::int64_t>(
        kvn_text_width(&font, Unsigned(stretch.bytes), stretch.bytes.size(), stretch.decode));
  }
  return width > 0 ? width : 1;
}

GrayImage RenderLine(const kvn_font& font, const std::vector<GlyphPick>& picks, int scale) {
  GrayImage image(static_cast<int>(LineWidth(font, picks) * scale), font.cell_height * scale,
                  kPaper);
  ScaledImage to{&image, scale};
  int x = 0;
  for (const Stretch& stretch : StretchesOf(picks)) {
    const auto* bytes = Unsigned(stretch.bytes);
    kvn_draw_text(&font, bytes, stretch.bytes.size(), stretch.decode, x, 0, PlotScaled, &to);
    x += static_cast<int>(kvn_text_width(&font, bytes, stretch.bytes.size(), stretch.decode));
  }
  return image;
}

}  // namespace kelvane
