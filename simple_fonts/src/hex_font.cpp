// Unifont .hex: one glyph a line, "0041:" and 32 hex digits (8 pixels wide) or
// 64 (16 wide), 16 rows top first.
#include <vector>

#include "font/messages.h"
#include "reader_support.h"
#include "simple_fonts/simple_fonts.h"

namespace kelvane::simple {
namespace {

constexpr std::int32_t kHeight = 16;
constexpr std::int32_t kBaselineAboveBottom = 2;
constexpr std::size_t kNarrowDigits = 32;
constexpr std::size_t kWideDigits = 64;
constexpr std::uint32_t kMaxCode = 0x10FFFF;
constexpr std::uint32_t kMaxKeptCode = 0xFFFF;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool AllHex(std::string_view text) {
  for (const char c : text) {
    if (HexValue(c) < 0) return false;
  }
  return true;
}

// The lines of a text, ending in LF, CR LF, CR or LF CR, numbered from 1.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}

  bool Next() {
    if (at_ >= text_.size()) return false;
    const std::size_t end = text_.find_first_of("\r\n", at_);
    line_ = text_.substr(at_, end == std::string_view::npos ? std::string_view::npos : end - at_);
    terminated_ = end != std::string_view::npos;
    at_ = terminated_ ? end + 1 : text_.size();
    if (terminated_ && at_ < text_.size() && text_[at_] != text_[end] &&
        (text_[at_] == '\r' || text_[at_] == '\n')) {
      ++at_;
    }
    ++number_;
    return true;
  }
  std::string_view line() const { return line_; }
  std::int64_t number() const { return number_; }
  bool terminated() const { return terminated_; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  std::string_view line_;
  std::int64_t number_ = 0;
  bool terminated_ = false;
};

struct HexGlyph {
  std::uint32_t code = 0;
  std::string_view digits;  // 32 or 64
  std::int64_t line = 0;
};

// Why a line is not a glyph, or nullopt when it is one.
std::optional<std::string> LineFault(std::string_view line) {
  const std::size_t colon = line.find(':');
  const std::string_view code = line.substr(0, colon);
  if (colon == std::string_view::npos || code.size() < 4 || code.size() > 6 || !AllHex(code)) {
    return "a line is a code of 4 to 6 hex digits, ':' and the glyph's 32 or 64 hex digits";
  }
  const std::string_view digits = line.substr(colon + 1);
  if ((digits.size() != kNarrowDigits && digits.size() != kWideDigits) || !AllHex(digits)) {
    return "a glyph is 32 hex digits (8 pixels wide) or 64 (16 wide) after the code";
  }
  return std::nullopt;
}

std::uint32_t HexNumber(std::string_view digits) {
  std::uint32_t value = 0;
  for (const char c : digits) value = value << 4 | static_cast<std::uint32_t>(HexValue(c));
  return value;
}

std::string InvalidLineAt(std::int64_t number, std::string_view line, std::string_view reason) {
  return "Invalid line at line " + std::to_string(number) + "! [" + Excerpt(line) + "] (" +
         std::string(reason) + ")";
}

std::string AboveText(std::int64_t count) {
  return Counted(count, "glyph", "glyphs") + " above U+FFFF " + (count == 1 ? "was" : "were") +
         " left out";
}

// Whether `text` could begin a glyph line: a prefix of one.
bool BeginsGlyphLine(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return text.size() <= 6 && AllHex(text);
  const std::string_view digits = text.substr(colon + 1);
  return colon >= 4 && colon <= 6 && AllHex(text.substr(0, colon)) &&
         digits.size() <= kWideDigits && AllHex(digits);
}

}  // namespace

bool LooksLikeHex(std::string_view firstBytes) {
  Lines lines(firstBytes);
  bool anyGlyph = false;
  while (lines.Next()) {
    if (lines.line().empty()) continue;
    if (!lines.terminated()) {  // the whole file, or cut where the bytes end
      return BeginsGlyphLine(lines.line()) &&
             (anyGlyph || lines.line().find(':') != std::string_view::npos);
    }
    if (LineFault(lines.line())) return false;
    anyGlyph = true;
  }
  return anyGlyph;
}

Result<FontModel> ReadHex(std::span<const std::uint8_t> bytes, const std::string& fileName,
                          const CellCheck& check, FontModel model) {
  std::vector<HexGlyph> glyphs;
  std::vector<bool> seen(kMaxKeptCode + 1);
  LeftOut above;
  bool wide = false;
  Lines lines(AsText(bytes));
  while (lines.Next()) {
    const std::string_view line = lines.line();
    if (line.empty()) continue;
    if (auto fault = LineFault(line)) {
      return Diagnostic{fileName, lines.number(), InvalidLineAt(lines.number(), line, *fault)};
    }
    const std::size_t colon = line.find(':');
    const std::uint32_t code = HexNumber(line.substr(0, colon));
    if (code > kMaxCode) {
      return Diagnostic{fileName, lines.number(),
                        ValueOutOfRangeAt(lines.number(), line, "codes go up to 10FFFF")};
    }
    if (code > kMaxKeptCode) {
      above.Add(above.NamesNext()
                    ? UnicodeName(code) + " (line " + std::to_string(lines.number()) + ")"
                    : std::string());
      continue;
    }
    if (seen[code]) {
      return Diagnostic{fileName, lines.number(), DuplicateCodeAt(lines.number(), line)};
    }
    seen[code] = true;
    const std::string_view digits = line.substr(colon + 1);
    wide = wide || digits.size() == kWideDigits;
    glyphs.push_back({code, digits, lines.number()});
  }
  if (glyphs.empty()) {
    return NotSupported(fileName, above.count() > 0 ? "no glyphs up to U+FFFF" : "no glyphs");
  }

  const std::uint32_t file = AddFile(model, fileName);
  const std::int32_t width = wide ? 16 : 8;
  const FontBox box{width, kHeight, 0, -kBaselineAboveBottom};
  if (auto refusal = TakeCell(model, fileName, box, "hex " + std::to_string(width) + "x16", check,
                              glyphs.size(), glyphs.size())) {
    return std::move(*refusal);
  }
  model.registry = "ISO10646";
  model.encoding = "1";
  model.codeField = "code";
  const auto rowBytes = static_cast<std::size_t>(model.bytesPerRow());
  for (const HexGlyph& hex : glyphs) {
    Glyph& glyph = model.AddGlyph(static_cast<std::int32_t>(hex.code), {file, hex.line});
    const std::size_t glyphRowBytes = hex.digits.size() / 2 / kHeight;
    glyph.advance = static_cast<std::uint8_t>(glyphRowBytes * 8);
    const auto bitmap = model.bitmap(glyph);
    for (std::size_t i = 0; i < hex.digits.size() / 2; ++i) {
      const std::size_t row = i / glyphRowBytes;
      const std::size_t column = i % glyphRowBytes;
      bitmap[row * rowBytes + column] =
          static_cast<std::uint8_t>(HexNumber(hex.digits.substr(2 * i, 2)));
    }
  }
  above.Warn(model.warnings, "left out above U+FFFF", AboveText);
  return model;
}

}  // namespace kelvane::simple
