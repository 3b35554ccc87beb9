#include "mapping/output_mapping.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdio>

#include "font/messages.h"
#include "mapping/charset.h"

namespace kelvane {
namespace {

constexpr std::size_t kNamedLeftOut = 5;

struct CharGlyph {
  char32_t c;
  std::size_t glyph;  // index into the font's glyphs
  bool operator<(const CharGlyph& other) const {
    return c != other.c ? c < other.c : glyph < other.glyph;
  }
};

// The font's glyphs by character; a glyph whose code the font's character set
// does not know gets none.
std::vector<std::optional<char32_t>> CharactersOf(const FontModel& font, const CodeSpace& space) {
  const bool jis = CharsetIdOf(font.registry) == CHARSET_JISX0208;
  std::vector<std::optional<char32_t>> chars;
  chars.reserve(font.glyphs.size());
  for (const Glyph& glyph : font.glyphs) {
    chars.push_back(space.Decode(jis ? JisToSjis(glyph.sourceCode) : glyph.sourceCode));
  }
  return chars;
}

class GlyphsByCharacter {
 public:
  explicit GlyphsByCharacter(const std::vector<std::optional<char32_t>>& chars) {
    for (std::size_t i = 0; i < chars.size(); ++i) {
      if (chars[i]) entries_.push_back({*chars[i], i});
    }
    std::sort(entries_.begin(), entries_.end());
  }
  // The first glyph of `c`, else of its variant.
  std::optional<std::size_t> Find(char32_t c) const {
    if (auto found = FindExact(c)) return found;
    if (auto variant = VariantOf(c)) return FindExact(*variant);
    return std::nullopt;
  }

 private:
  std::optional<std::size_t> FindExact(char32_t c) const {
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), CharGlyph{c, 0});
    if (at == entries_.end() || at->c != c) return std::nullopt;
    return at->glyph;
  }
  std::vector<CharGlyph> entries_;
};

Diagnostic UnknownCharset(const FontModel& font) {
  const std::string& file = font.files.empty() ? std::string() : font.files.front();
  return {file, 0,
          CharsetNotSupported(font.registry, font.registry.empty()
                                                 ? "the font names no character set to map from"
                                                 : "its characters are not known, so it cannot be "
                                                   "mapped")};
}

std::string Hex(std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

std::vector<std::string> LeftOutNotes(const FontModel& font,
                                      const std::vector<std::optional<char32_t>>& chars,
                                      const std::vector<bool>& used, const std::string& output) {
  std::size_t count = 0;
  std::string named;
  for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
    if (used[i]) continue;
    if (++count > kNamedLeftOut) continue;
    const Glyph& glyph = font.glyphs[i];
    named += (count > 1 ? ", " : "") +
             (chars[i] ? DescribeCharacter(*chars[i]) : "code " + Hex(glyph.sourceCode)) +
             " (line " + std::to_string(glyph.source.line) + ")";
  }
  if (count == 0) return {};
  return {std::to_string(count) + " glyphs have no code in " + output +
          " and were left out: " + named + (count > kNamedLeftOut ? ", ..." : "")};
}

}  // namespace

std::string DescribeCharacter(char32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
  std::string described = text;
  if (c >= 0x20 && c != 0x7F && (c < 0x80 || c >= 0xA0) && c <= 0x10FFFF) {
    char bytes[4];
    std::int32_t length = 0;
    UBool error = false;
    U8_APPEND(bytes, length, 4, static_cast<UChar32>(c), error);
    if (!error) {
      described += ' ';
      described.append(bytes, static_cast<std::size_t>(length));
    }
  }
  return described;
}

Result<std::vector<std::string>> MapToOutput(FontModel& font, const CodeSpace& output,
                                             JapaneseTable table) {
  const auto space = CodeSpace::ForFont(font.registry, font.encoding, table);
  if (!space) return UnknownCharset(font);
  const auto chars = CharactersOf(font, *space);
  std::vector<bool> used(font.glyphs.size(), false);
  std::pmr::vector<Glyph> mapped(font.glyphs.get_allocator());
  const auto give = [&](std::int32_t code, std::size_t index) {
    Glyph glyph = font.glyphs[index];
    glyph.code = code;
    mapped.push_back(glyph);
    used[index] = true;
  };
  if (output.isUnicode()) {
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
      if (chars[i] && output.Decode(static_cast<std::int32_t>(*chars[i]))) {
        give(static_cast<std::int32_t>(*chars[i]), i);
      }
    }
    std::sort(mapped.begin(), mapped.end(),
              [](const Glyph& a, const Glyph& b) { return a.code < b.code; });
  } else {
    const GlyphsByCharacter byCharacter(chars);
    for (const auto& [code, c] : output.Codes()) {
      if (auto index = byCharacter.Find(c)) give(code, *index);
    }
  }
  if (mapped.empty()) {
    return Diagnostic{font.files.empty() ? std::string() : font.files.front(), 0,
                      "No glyph has a code in the output's code set! [" + output.name() + "]"};
  }
  auto notes = LeftOutNotes(font, chars, used, output.name());

  // The default character: the lowest code its glyph got, else kept without one.
  std::int32_t defaultCode = 0;
  if (font.defaultChar) {
    const auto it = std::find_if(font.glyphs.begin(), font.glyphs.end(),
                                 [&](const Glyph& g) { return g.sourceCode == *font.defaultChar; });
    if (it != font.glyphs.end()) {
      const auto coded = std::find_if(mapped.begin(), mapped.end(),
                                      [&](const Glyph& g) { return g.bitmap == it->bitmap; });
      if (coded != mapped.end()) {
        defaultCode = coded->code;
      } else {
        Glyph kept = *it;
        kept.code = kNoCode;
        mapped.push_back(kept);
        defaultCode = kNoCode;
      }
    }
  }
  font.glyphs = std::move(mapped);
  font.defaultCode = defaultCode;
  return notes;
}

}  // namespace kelvane
