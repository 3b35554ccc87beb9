#include "mapping/code_mapping.h"

#include "font/messages.h"
#include "mapping/charset.h"

namespace kelvane {
namespace {

std::string CharsetName(const FontModel& model) {
  if (model.encoding.empty()) return model.registry;
  return model.registry + "-" + model.encoding;
}

bool NamesIso646(std::string_view registry) {
  return CharsetIdOf(std::string(registry) + "-IRV") == CHARSET_ISO646;
}

}  // namespace

std::optional<std::string> RegistryRefusal(std::string_view registry) {
  if (CharsetIdOf(registry) != CHARSET_UNSUPPORTED || NamesIso646(registry)) return std::nullopt;
  return CharsetNotSupported(registry);
}

Status MapCodes(FontModel& model) {
  if (model.registry.empty()) {
    model.defaultCode = model.defaultChar.value_or(0);
    return Ok();
  }
  const CharsetId charset = CharsetIdOf(CharsetName(model));
  if (charset == CHARSET_UNSUPPORTED) {
    const std::string file = model.files.empty() ? std::string() : model.files.front();
    return Diagnostic{file, 0, CharsetNotSupported(model.registry)};
  }
  for (Glyph& glyph : model.glyphs) glyph.code = ConvertCode(charset, glyph.sourceCode);
  model.defaultCode = ConvertCode(charset, model.defaultChar.value_or(0));
  return Ok();
}

}  // namespace kelvane
