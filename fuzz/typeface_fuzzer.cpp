// libFuzzer target: the reader of fonts FreeType reads, on the fuzzer's bytes,
// with the option sets the front ends pass (none; a pixel size; outlines at
// a size with a forced cell; a face and a subset), and the KVN cell limit.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "typeface/typeface_reader.h"

namespace {

std::optional<std::string> CellLimit(const kelvane::FontBox& box) {
  if (box.width > 255 || box.height > 255) return "the cell is too large";
  if (kelvane::GlyphBytes(box.width, box.height) > 255) return "a glyph needs too many bytes";
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvane::typeface::FaceOptions;
  using kelvane::typeface::Hinting;
  const std::span<const std::uint8_t> bytes(data, size);
  FaceOptions plain;
  FaceOptions sized;
  sized.pixelSize = 12;
  FaceOptions outline;
  outline.pixelSize = 16;
  outline.outline = true;
  outline.hinting = Hinting::kAuto;
  outline.cell = std::pair{12, 14};
  FaceOptions subset;
  subset.face = 1;
  subset.pixelSize = 8;
  subset.hinting = Hinting::kNone;
  subset.wanted = [](std::int32_t code) { return code < 0x80 || (code & 7) == 0; };
  for (const FaceOptions* options : {&plain, &sized, &outline, &subset}) {
    auto font = kelvane::typeface::ReadTypeface(bytes, "fuzz", *options, CellLimit);
    if (!font) continue;
    // Every glyph's bitmap lies within the model.
    for (const kelvane::Glyph& glyph : font->glyphs) {
      if (font->bitmap(glyph).size() != static_cast<std::size_t>(font->glyphBytes())) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
