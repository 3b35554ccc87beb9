// The code mapping stage: turns a font's own codes into the codes of the output.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "font/font_model.h"
#include "font/result.h"

namespace kelvane {

// The refusal for a CHARSET_REGISTRY value whose codes cannot be mapped, or
// nullopt. The ISO646.1991 registry is refused only once its encoding is known
// not to be IRV, so it is accepted here.
std::optional<std::string> RegistryRefusal(std::string_view registry);

// Maps every glyph's code, and the default character, with the character set
// the model names: JIS X 0208 codes become Shift_JIS codes; ISO 8859, JIS X
// 0201 and ISO 646 IRV codes, and the codes of a font naming no character set,
// stay as they are. A font in any other character set is refused.
Status MapCodes(FontModel& model);

// Fonts merged without an output code set keep their codes, so their codes
// must mean the same characters: JIS X 0201 and JIS X 0208 fonts go together
// (as Shift_JIS), an ISO 8859 font only with fonts of the same part, and
// ISO 646 IRV (ASCII) fonts and fonts naming no character set with any. The
// refusal names the first font that does not fit the ones before it, with
// Remedy::kMapMergedCharsets; nullopt when they all fit.
std::optional<Diagnostic> CheckFontsShareCodes(std::span<const FontModel> fonts);

}  // namespace kelvane
