#include "mapping/code_mapping.h"

#include <cctype>

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

// The codes a font's character set shares with others: empty for a set whose
// codes every other set shares (ASCII, none named); the same text for sets
// whose codes mean the same characters.
std::string SharedCodes(const FontModel& font) {
  if (font.registry.empty()) return {};
  std::string name = CharsetName(font);
  switch (CharsetIdOf(name)) {
    case CHARSET_ISO646:
      return {};
    case CHARSET_JISX0201:
    case CHARSET_JISX0208:
      return "Shift_JIS";
    default:
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return name;
  }
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
  // A glyph without a code of its own keeps having none.
  const auto convert = [charset](std::int32_t code) {
    return code == kNoCode ? kNoCode : ConvertCode(charset, code);
  };
  for (Glyph& glyph : model.glyphs) glyph.code = convert(glyph.sourceCode);
  model.defaultCode = convert(model.defaultChar.value_or(0));
  return Ok();
}

std::optional<Diagnostic> CheckFontsShareCodes(std::span<const FontModel> fonts) {
  const FontModel* first = nullptr;
  std::string firstCodes;
  for (const FontModel& font : fonts) {
    const std::string codes = SharedCodes(font);
    if (codes.empty()) continue;
    if (first == nullptr) {
      first = &font;
      firstCodes = codes;
    } else if (codes != firstCodes) {
      return Diagnostic{font.files.empty() ? std::string() : font.files.front(), 0,
                        CharsetNotSupported(CharsetName(*first) + " with " + CharsetName(font),
                                            "their codes mean different characters"),
                        Remedy::kMapMergedCharsets};
    }
  }
  return std::nullopt;
}

}  // namespace kelvane
