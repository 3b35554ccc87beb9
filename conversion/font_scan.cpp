#include "conversion/font_scan.h"

#include <algorithm>
#include <vector>

#include "conversion/charset.h"
#include "conversion/messages.h"
#include "conversion/text_fields.h"

namespace kelvane {
namespace {

constexpr std::int32_t kMaxCellValue = 255;
constexpr std::int32_t kMaxCode = 65535;
constexpr std::int32_t kMaxGlyphs = 65535;

// The value between the first two double quotes; without quotes the whole
// text, and with one quote the text after it.
std::string QuotedValue(std::string_view text) {
  const auto open = text.find('"');
  if (open == std::string_view::npos) return std::string(TrimBlanks(text));
  const auto close = text.find('"', open + 1);
  if (close == std::string_view::npos) return std::string(text.substr(open + 1));
  return std::string(text.substr(open + 1, close - open - 1));
}

class FontScanner {
 public:
  explicit FontScanner(BdfLines& lines) : lines_(lines) {}

  ScanOutcome Run() {
    while (refusal_.empty() && lines_.Next()) {
      const std::string_view line = lines_.line();
      if (line.starts_with("FONTBOUNDINGBOX ")) {
        ReadBoundingBox(line.substr(16));
      } else if (line.starts_with("CHARSET_REGISTRY ")) {
        ReadCharset(line.substr(17));
      } else if (line.starts_with("DEFAULT_CHAR ")) {
        ReadDefaultChar(line.substr(13));
      } else if (line.starts_with("CHARS ")) {
        declaredGlyphs_ = FirstNumber(line.substr(6)).value_or(0);
      } else if (line.starts_with("ENCODING ")) {
        if (!CellIsUsable()) break;
        ReadEncodedGlyph(line.substr(9));
      }
    }
    if (refusal_.empty() && (!CellIsUsable() || state_.glyphCount == 0)) {
      refusal_ = kFileNotSupported;
    }
    // The default code is mapped with the character set known at the end, so
    // the order of DEFAULT_CHAR and CHARSET_REGISTRY does not matter.
    state_.defaultCode = ConvertCode(charsetId_, rawDefaultCode_);
    return ScanOutcome{std::move(state_), std::move(refusal_)};
  }

 private:
  bool CellIsUsable() const { return state_.cellWidth > 0 && state_.cellHeight > 0; }

  void Refuse(std::string text) { refusal_ = std::move(text); }

  void ReadBoundingBox(std::string_view rest) {
    std::string_view fields[4];
    const std::size_t given = SplitFields(rest, fields);
    BoundingBox box;
    std::int32_t* const targets[] = {&box.width, &box.height, &box.x, &box.y};
    if (given < 2) return Refuse(InvalidNumberAt(lines_.number(), lines_.line()));
    for (std::size_t i = 0; i < given; ++i) {
      const auto value = ParseInt32(fields[i]);
      if (!value) return Refuse(InvalidNumberAt(lines_.number(), lines_.line()));
      *targets[i] = *value;
    }
    if (state_.glyphCount > 0 &&
        (box.width != state_.cellWidth || box.height != state_.cellHeight)) {
      return Refuse(CellSizeChangedAt(lines_.number(), lines_.line()));
    }
    box_ = box;
    state_.cellWidth = box.width;
    state_.cellHeight = box.height;
    boxLineNumber_ = lines_.number();
    boxLine_ = lines_.line();
  }

  void ReadCharset(std::string_view rest) {
    std::string name = QuotedValue(rest);
    charsetId_ = CharsetIdOf(name);
    if (charsetId_ == CHARSET_UNSUPPORTED) return Refuse(CharsetNotSupported(name));
    state_.charsetName = std::move(name);
  }

  void ReadDefaultChar(std::string_view rest) {
    const auto value = FirstNumber(rest);
    if (!value) return Refuse(InvalidNumberAt(lines_.number(), lines_.line()));
    rawDefaultCode_ = *value;
  }

  bool CellFitsLayout() const {
    return state_.cellWidth <= kMaxCellValue && state_.cellHeight <= kMaxCellValue &&
           state_.glyphBytes() <= kMaxCellValue;
  }

  void ReadEncodedGlyph(std::string_view rest) {
    if (!CellFitsLayout()) return Refuse(ValueOutOfRangeAt(boxLineNumber_, boxLine_));
    const auto value = FirstNumber(rest);
    if (!value) return Refuse(InvalidNumberAt(lines_.number(), lines_.line()));
    encodingLineNumber_ = lines_.number();
    encodingLine_ = lines_.line();
    if (*value < 0) return SkipUnencodedGlyph();

    const std::int32_t code = ConvertCode(charsetId_, *value);
    if (code < 0 || code > kMaxCode || state_.glyphCount >= kMaxGlyphs) {
      return Refuse(ValueOutOfRangeAt(encodingLineNumber_, encodingLine_));
    }
    // A glyph whose code does not follow its predecessor's opens a range, whose
    // index delta must not be negative. Ranges never outnumber glyphs, so the
    // glyph limit bounds them too.
    const bool opensRange = state_.glyphCount == 0 || code != state_.codes.back() + 1;
    if (opensRange && code < state_.glyphCount) {
      return Refuse(CodeOrderAt(encodingLineNumber_, encodingLine_));
    }
    if (state_.glyphCount == 0)
      state_.Reserve(std::clamp<std::int64_t>(declaredGlyphs_, 0, kMaxGlyphs));
    FinishGlyph(ReadGlyph(lines_, state_.AppendGlyph(code), state_.bytesPerRow(), box_));
  }

  // A glyph without a code is read like any other and left out of the font.
  void SkipUnencodedGlyph() {
    scratch_.assign(static_cast<std::size_t>(state_.glyphBytes()) + 1, 0);
    const GlyphRecord glyph{scratch_[0], std::span<std::uint8_t>(scratch_).subspan(1)};
    FinishGlyph(ReadGlyph(lines_, glyph, state_.bytesPerRow(), box_));
  }

  void FinishGlyph(GlyphOutcome outcome) {
    if (!outcome.refusal.empty()) return Refuse(std::move(outcome.refusal));
    if (!outcome.complete) Refuse(UnexpectedEndAt(encodingLineNumber_, encodingLine_));
  }

  BdfLines& lines_;
  ConversionState state_;
  BoundingBox box_;
  CharsetId charsetId_ = CHARSET_ISO8859;  // how codes are mapped; no registry keeps them
  std::int32_t rawDefaultCode_ = 0;
  std::int64_t declaredGlyphs_ = 0;
  std::int64_t boxLineNumber_ = 0;
  std::string boxLine_;
  std::int64_t encodingLineNumber_ = 0;
  std::string encodingLine_;
  std::vector<std::uint8_t> scratch_;
  std::string refusal_;
};

}  // namespace

ScanOutcome ScanFont(BdfLines& lines) { return FontScanner(lines).Run(); }

}  // namespace kelvane
