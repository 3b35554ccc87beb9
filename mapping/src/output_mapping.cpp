#include "mapping/output_mapping.h"

#include <algorithm>
#include <cstdio>

#include "font/character_text.h"
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

// The glyphs' codes in their font's character set: JIS X 0208 codes as
// Shift_JIS, as the set's space holds them.
std::vector<std::int32_t> CodesInFontSpace(const FontModel& font) {
  const bool jis = CharsetIdOf(font.registry) == CHARSET_JISX0208;
  std::vector<std::int32_t> codes;
  codes.reserve(font.glyphs.size());
  for (const Glyph& glyph : font.glyphs) {
    codes.push_back(jis ? JisToSjis(glyph.sourceCode) : glyph.sourceCode);
  }
  return codes;
}

// The glyphs' characters; a glyph whose code the space does not know gets none.
std::vector<std::optional<char32_t>> CharactersOf(const std::vector<std::int32_t>& codes,
                                                  const CodeSpace& space) {
  std::vector<std::optional<char32_t>> chars;
  chars.reserve(codes.size());
  for (const std::int32_t code : codes) chars.push_back(space.Decode(code));
  return chars;
}

// The glyph of each character. Where glyphs of the font share a character
// (under cp932, ≒ is at 0x81E0 and again at 0x8790 in NEC row 13), the one at
// the code the table encodes the character to stands for it, else the first;
// the others are set aside.
class GlyphsByCharacter {
 public:
  GlyphsByCharacter(const std::vector<std::int32_t>& codes,
                    const std::vector<std::optional<char32_t>>& chars, const CodeSpace& space)
      : setAside_(chars.size(), false) {
    for (std::size_t i = 0; i < chars.size(); ++i) {
      if (chars[i]) entries_.push_back({*chars[i], i});
    }
    std::sort(entries_.begin(), entries_.end());
    std::vector<CharGlyph> chosen;
    for (auto run = entries_.begin(); run != entries_.end();) {
      const auto end =
          std::find_if(run, entries_.end(), [&](const CharGlyph& e) { return e.c != run->c; });
      auto winner = run;
      if (end - run > 1) {
        const auto preferred = space.PreferredCode(run->c);
        const auto atPreferred =
            std::find_if(run, end, [&](const CharGlyph& e) { return codes[e.glyph] == preferred; });
        if (atPreferred != end) winner = atPreferred;
        for (auto e = run; e != end; ++e) setAside_[e->glyph] = e != winner;
      }
      chosen.push_back(*winner);
      run = end;
    }
    entries_ = std::move(chosen);
  }
  // The glyph of `c`.
  std::optional<std::size_t> Find(char32_t c) const {
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), CharGlyph{c, 0});
    if (at == entries_.end() || at->c != c) return std::nullopt;
    return at->glyph;
  }
  // The glyph of `c`, else of its variant in `output`.
  std::optional<std::size_t> FindIn(const CodeSpace& output, char32_t c) const {
    if (auto found = Find(c)) return found;
    if (auto variant = output.VariantOf(c)) return Find(*variant);
    return std::nullopt;
  }
  // Glyphs whose character another glyph stands for.
  const std::vector<bool>& setAside() const { return setAside_; }

 private:
  std::vector<CharGlyph> entries_;
  std::vector<bool> setAside_;
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

// Why glyphs were left out, for one glyph and for several.
struct Why {
  std::string one, several;
};

// "N glyphs WHY and were left out: ..." naming the first few of the glyphs
// `listed` marks, or nothing when it marks none.
std::vector<std::string> LeftOutNote(const FontModel& font,
                                     const std::vector<std::optional<char32_t>>& chars,
                                     const std::vector<bool>& listed, const Why& why) {
  std::size_t count = 0;
  std::string named;
  for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
    if (!listed[i]) continue;
    if (++count > kNamedLeftOut) continue;
    const Glyph& glyph = font.glyphs[i];
    named += (count > 1 ? ", " : "") +
             (chars[i] ? DescribeCharacter(*chars[i]) : "code " + Hex(glyph.sourceCode));
    if (glyph.source.line > 0) named += " (line " + std::to_string(glyph.source.line) + ")";
  }
  if (count == 0) return {};
  const std::string what = count == 1 ? " glyph " + why.one + " and was left out: "
                                      : " glyphs " + why.several + " and were left out: ";
  return {std::to_string(count) + what + named + (count > kNamedLeftOut ? ", ..." : "")};
}

}  // namespace

Result<std::vector<std::string>> MapToOutput(FontModel& font, const CodeSpace& output,
                                             JapaneseTable table) {
  const auto space = CodeSpace::ForFont(font.registry, font.encoding, table);
  if (!space) return UnknownCharset(font);
  const auto codes = CodesInFontSpace(font);
  const auto chars = CharactersOf(codes, *space);
  const GlyphsByCharacter byCharacter(codes, chars, *space);
  const auto& setAside = byCharacter.setAside();
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
      if (chars[i] && !setAside[i] && output.Decode(static_cast<std::int32_t>(*chars[i]))) {
        give(static_cast<std::int32_t>(*chars[i]), i);
      }
    }
    std::sort(mapped.begin(), mapped.end(),
              [](const Glyph& a, const Glyph& b) { return a.code < b.code; });
  } else {
    for (const auto& [code, c] : output.Codes()) {
      if (auto index = byCharacter.FindIn(output, c)) give(code, *index);
    }
  }
  if (mapped.empty()) {
    return Diagnostic{font.files.empty() ? std::string() : font.files.front(), 0,
                      "No glyph has a code in the output's code set! [" + output.name() + "]"};
  }
  std::vector<bool> noCode(font.glyphs.size());
  // A glyph without a code of its own (a default glyph) is not left out for that.
  for (std::size_t i = 0; i < noCode.size(); ++i) {
    noCode[i] = !used[i] && !setAside[i] && font.glyphs[i].sourceCode != kNoCode;
  }
  auto notes = LeftOutNote(font, chars, noCode,
                           {"has no code in " + output.name(), "have no code in " + output.name()});
  for (std::string& note : LeftOutNote(
           font, chars, setAside,
           {"shares a character with another glyph", "share a character with another glyph"})) {
    notes.push_back(std::move(note));
  }

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
