#include "render/font_file.h"

#include <cstdio>
#include <numeric>

namespace kelvane {

std::size_t LoadedFont::DataSize() const {
  return KVN_HEADER_SIZE + std::size_t{KVN_RANGE_SIZE} * font.range_count +
         std::size_t{font.glyph_count} * (1 + std::size_t{font.glyph_bytes});
}

Result<std::unique_ptr<LoadedFont>> OpenFont(std::string path, FontBytes bytes) {
  auto loaded = std::make_unique<LoadedFont>();
  loaded->path = std::move(path);
  loaded->converted = bytes.converted;
  loaded->fileSize = bytes.fileSize;
  loaded->bytes = std::move(bytes.bytes);
  loaded->warnings = std::move(bytes.warnings);
  loaded->baseline = bytes.baseline;
  const kvn_status status = kvn_open(&loaded->font, loaded->bytes.data(), loaded->bytes.size());
  if (status != KVN_OK) {
    return Diagnostic{
        loaded->path, 0,
        (loaded->converted ? "the converted font: " : "") + std::string(kvn_status_text(status))};
  }
  return loaded;
}

std::vector<CodedGlyph> CodesThroughRanges(const kvn_font& font) {
  // next[c]: the lowest code from c up that no earlier range holds (65536:
  // none), found with path halving so that overlapping ranges cost no more
  // than the codes they add.
  std::vector<std::uint32_t> next(65537);
  std::iota(next.begin(), next.end(), 0u);
  const auto free = [&next](std::uint32_t code) {
    while (next[code] != code) code = next[code] = next[next[code]];
    return code;
  };
  std::vector<CodedGlyph> codes;
  for (std::uint32_t r = 0; r < font.range_count; ++r) {
    const kvn_range range = kvn_range_at(&font, static_cast<std::uint16_t>(r));
    for (std::uint32_t code = free(range.first_code); code <= range.last_code;
         code = free(code + 1)) {
      codes.push_back(
          {static_cast<std::uint16_t>(code), static_cast<std::uint16_t>(code - range.index_delta)});
      next[code] = code + 1;
    }
  }
  return codes;
}

std::string CodeText(std::uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", code);
  return text;
}

}  // namespace kelvane
