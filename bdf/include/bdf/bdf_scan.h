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

struct ScanOptions {
  // Why the cell cannot be stored, or nullopt; asked before the first glyph's
  // bitmap is set aside, so an oversized cell costs no memory.
  std::function<std::optional<std::string>(const FontBox&)> refuseCell;
  // The refusal text for a CHARSET_REGISTRY value, or nullopt; asked as soon as
  // the property is read, and the scan ends there when it refuses.
  std::function<std::optional<std::string>(std::string_view registry)> refuseRegistry;
  // What the file is, when it turns out to hold no font ("binary data, not a
  // BDF font"); without it the refusal says what the text lacks.
  std::string notAFont;
};

// Reads the font properties and every encoded glyph of one BDF file into a
// model whose glyphs keep the font's own codes, in file order. `fileName`
// names the file in the model and in diagnostics. Pixels of glyphs reaching
// past the font box are left out, with one warning in the model naming them.
// A read failure is "Cannot read file! [...] (reason)", unless the source
// refused the data, whose text is given as it is.
Result<FontModel> ScanBdf(ByteInput& input, LineReaderState& lineState, const std::string& fileName,
                          const ScanOptions& options, FontModel model = FontModel());

}  // namespace kelvane::bdf
