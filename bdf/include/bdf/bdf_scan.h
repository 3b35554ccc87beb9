// The scan of a BDF file's lines into a font model.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "bdf/byte_input.h"
#include "bdf/line_reader.h"
#include "font/font_model.h"
#include "font/result.h"

namespace kelvane::bdf {

// The highest code a glyph may have: the last Unicode code point.
inline constexpr std::int32_t kMaxFontCode = 0x10FFFF;

struct ScanOptions {
  // Why the cell cannot be stored, or nullopt; asked before the first glyph's
  // bitmap is set aside, so an oversized cell costs no memory.
  std::function<std::optional<std::string>(const FontBox&)> refuseCell;
  // The refusal text for a CHARSET_REGISTRY value, or nullopt; asked as soon as
  // the property is read, and the scan ends there when it refuses.
  std::function<std::optional<std::string>(std::string_view registry)> refuseRegistry;
};

// Reads the font properties and every encoded glyph of one BDF file into a
// model whose glyphs keep the font's own codes, in file order. `fileName`
// names the file in the model and in diagnostics.
Result<FontModel> ScanBdf(ByteInput& input, LineReaderState& lineState, const std::string& fileName,
                          const ScanOptions& options, FontModel model = FontModel());

// Why bytes that begin a file that is not a BDF font at all are not one
// ("a PCF font, not BDF; ...", "gzip-compressed"), or nullopt.
std::optional<std::string> NotBdfReason(std::string_view firstBytes);

}  // namespace kelvane::bdf
