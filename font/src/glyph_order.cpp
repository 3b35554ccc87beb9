#include "font/glyph_order.h"

#include <algorithm>
#include <tuple>

#include "font/messages.h"

namespace kelvane {
namespace {

bool ComesLater(const SourceLine& a, const SourceLine& b) {
  return std::tie(a.file, a.line) > std::tie(b.file, b.line);
}

}  // namespace

std::string CodeLineOf(const FontModel& model, const Glyph& glyph) {
  const std::string code = std::to_string(glyph.sourceCode);
  return model.codeField.empty() ? code : model.codeField + " " + code;
}

Status SortGlyphsByCode(FontModel& model) {
  auto& glyphs = model.glyphs;
  // A glyph kept only as the default goes after every coded one.
  const auto byCode = [](const Glyph& a, const Glyph& b) {
    return static_cast<std::uint32_t>(a.code) < static_cast<std::uint32_t>(b.code);
  };
  if (!std::is_sorted(glyphs.begin(), glyphs.end(), byCode)) {
    std::stable_sort(glyphs.begin(), glyphs.end(), byCode);
  }
  const auto same =
      std::adjacent_find(glyphs.begin(), glyphs.end(),
                         [](const Glyph& a, const Glyph& b) { return a.code == b.code && a.code != kNoCode; });
  if (same == glyphs.end()) return Ok();
  const Glyph& later = ComesLater(same->source, (same + 1)->source) ? *same : *(same + 1);
  return Diagnostic{model.fileOf(later.source), later.source.line,
                    DuplicateCodeAt(later.source.line, CodeLineOf(model, later))};
}

}  // namespace kelvane
