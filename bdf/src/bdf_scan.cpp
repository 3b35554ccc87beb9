#include "bdf/bdf_scan.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "bdf_messages.h"
#include "font/messages.h"
#include "glyph_reader.h"
#include "text_fields.h"

namespace kelvane::bdf {
namespace {

// The highest code a glyph may have: the last Unicode code point.
constexpr std::int32_t kMaxFontCode = 0x10FFFF;

// Glyphs named in the detail of the warning about cut pixels.
constexpr std::int64_t kCutGlyphsNamed = 5;

// Bitmaps set aside at once for a font's declared glyph count; a larger font
// grows as it is read.
constexpr std::int64_t kMaxReservedGlyphs = 65535;

// The value between the first two double quotes; without quotes the whole
// text, and with one quote the text after it.
std::string QuotedValue(std::string_view text) {
  const auto open = text.find('"');
  if (open == std::string_view::npos) return std::string(TrimBlanks(text));
  const auto close = text.find('"', open + 1);
  if (close == std::string_view::npos) return std::string(text.substr(open + 1));
  return std::string(text.substr(open + 1, close - open - 1));
}

std::string UpperCased(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// The registry and encoding that end an XLFD name such as
// -misc-fixed-medium-r-normal--16-150-75-75-c-160-jisx0208.1983-0, upper-cased.
std::optional<std::pair<std::string, std::string>> XlfdCharset(std::string_view name) {
  name = TrimBlanks(name);
  if (!name.starts_with('-') || std::count(name.begin(), name.end(), '-') != 14) {
    return std::nullopt;
  }
  const std::size_t encodingDash = name.rfind('-');
  const std::size_t registryDash = name.rfind('-', encodingDash - 1);
  std::string registry(name.substr(registryDash + 1, encodingDash - registryDash - 1));
  if (registry.empty()) return std::nullopt;
  return std::pair{UpperCased(registry), UpperCased(name.substr(encodingDash + 1))};
}

class BdfScanner {
 public:
  BdfScanner(BdfLines& lines, const ScanOptions& options, FontModel model, std::string fileName)
      : lines_(lines), options_(options), model_(std::move(model)) {
    fileIndex_ = static_cast<std::uint32_t>(model_.files.size());
    model_.files.push_back(std::move(fileName));
    model_.codeField = "ENCODING";
  }

  Result<FontModel> Run() {
    while (lines_.Next()) {
      const std::string_view line = lines_.line();
      if (line.starts_with("FONTBOUNDINGBOX ")) {
        ReadBoundingBox(line.substr(16));
      } else if (line.starts_with("CHARSET_REGISTRY ")) {
        ReadRegistry(line.substr(17));
      } else if (line.starts_with("CHARSET_ENCODING ")) {
        encoding_ = QuotedValue(line.substr(17));
      } else if (line.starts_with("DEFAULT_CHAR ")) {
        ReadDefaultChar(line.substr(13));
      } else if (line.starts_with("CHARS ")) {
        declaredGlyphs_ = FirstNumber(line.substr(6)).value_or(0);
      } else if (line.starts_with("FONT ")) {
        xlfdCharset_ = XlfdCharset(line.substr(5));
      } else if (line.starts_with("ENCODING ")) {
        if (!CellIsUsable()) break;
        ReadEncodedGlyph(line.substr(9));
      }
      if (refusal_) return std::move(*refusal_);
    }
    if (!CellIsUsable() || model_.glyphs.empty()) return At(0, FileNotSupported(WhyUnusable()));
    TakeCharset();
    WarnOfCutPixels();
    return std::move(model_);
  }

 private:
  bool CellIsUsable() const { return model_.box.width > 0 && model_.box.height > 0; }

  void Refuse(std::string text) { refusal_ = Diagnostic{File(), lines_.number(), std::move(text)}; }
  Diagnostic At(std::int64_t line, std::string text) const {
    return {File(), line, std::move(text)};
  }
  const std::string& File() const { return model_.files[fileIndex_]; }

  // What the text lacks to be a font.
  std::string WhyUnusable() const {
    if (!options_.notAFont.empty()) return options_.notAFont;
    if (!CellIsUsable()) return "no FONTBOUNDINGBOX with a width and height before the glyphs";
    return "no glyphs";
  }

  void ReadBoundingBox(std::string_view rest) {
    std::string_view fields[4];
    const std::size_t given = SplitFields(rest, fields);
    FontBox box;
    std::int32_t* const targets[] = {&box.width, &box.height, &box.x, &box.y};
    if (given < 2) return Refuse(InvalidNumberAt(lines_.number(), lines_.line()));
    for (std::size_t i = 0; i < given; ++i) {
      const auto value = ParseInt32(fields[i]);
      if (!value) return Refuse(InvalidNumberAt(lines_.number(), lines_.line()));
      *targets[i] = *value;
    }
    if (glyphsRead_ > 0 && (box.width != model_.box.width || box.height != model_.box.height)) {
      return Refuse(CellSizeChangedAt(lines_.number(), lines_.line()));
    }
    model_.box = box;
    model_.boxSource = {fileIndex_, lines_.number()};
    model_.boxLine = lines_.line();
  }

  void ReadRegistry(std::string_view rest) {
    registry_ = QuotedValue(rest);
    registryLine_ = lines_.number();
    if (!options_.refuseRegistry) return;
    if (auto refusal = options_.refuseRegistry(registry_)) Refuse(std::move(*refusal));
  }

  void ReadDefaultChar(std::string_view rest) {
    const auto value = FirstNumber(rest);
    if (!value) return Refuse(InvalidNumberAt(lines_.number(), lines_.line()));
    model_.defaultChar = *value;
  }

  // The registry property wins over the one an XLFD name gives.
  void TakeCharset() {
    if (registryLine_ > 0) {
      model_.registry = registry_;
      model_.encoding = encoding_;
    } else if (xlfdCharset_) {
      model_.registry = xlfdCharset_->first;
      model_.encoding = xlfdCharset_->second;
    }
  }

  bool CheckCellOnce() {
    if (cellChecked_) return true;
    cellChecked_ = true;
    if (options_.refuseCell) {
      if (auto reason = options_.refuseCell(model_.box)) {
        refusal_ = At(model_.boxSource.line,
                      ValueOutOfRangeAt(model_.boxSource.line, model_.boxLine, *reason));
        return false;
      }
    }
    model_.ReserveBitmaps(
        static_cast<std::size_t>(std::clamp<std::int64_t>(declaredGlyphs_, 0, kMaxReservedGlyphs)));
    return true;
  }

  // The font's own code was seen before in this file.
  bool IsDuplicate(std::int32_t code) {
    if (seen_.empty()) seen_.resize(static_cast<std::size_t>(kMaxFontCode) + 1);
    if (seen_[static_cast<std::size_t>(code)]) return true;
    seen_[static_cast<std::size_t>(code)] = true;
    return false;
  }

  void ReadEncodedGlyph(std::string_view rest) {
    if (!CheckCellOnce()) return;
    const auto value = FirstNumber(rest);
    if (!value) return Refuse(InvalidNumberAt(lines_.number(), lines_.line()));
    const std::int64_t encodingLine = lines_.number();
    const std::string encodingText(lines_.line());
    ++glyphsRead_;
    if (*value < 0) return SkipUnencodedGlyph(encodingLine, encodingText);
    if (*value > kMaxFontCode) {
      return Refuse(ValueOutOfRangeAt(encodingLine, encodingText, "codes go up to 1114111"));
    }
    if (IsDuplicate(*value)) return Refuse(DuplicateCodeAt(encodingLine, encodingText));
    Glyph& glyph = model_.AddGlyph(*value, {fileIndex_, encodingLine});
    GlyphOutcome outcome = ReadGlyph(lines_, {glyph.advance, model_.bitmap(glyph)}, model_.box);
    if (outcome.inkCut) NoteCutGlyph(encodingLine, encodingText);
    FinishGlyph(std::move(outcome), encodingLine, encodingText);
  }

  void NoteCutGlyph(std::int64_t encodingLine, std::string_view encodingText) {
    if (cutGlyphs_++ < kCutGlyphsNamed) {
      cutDetail_ += cutDetail_.empty() ? "pixels cut: " : ", ";
      cutDetail_ += "line " + std::to_string(encodingLine) + " (" + Excerpt(encodingText) + ")";
    } else if (cutGlyphs_ == kCutGlyphsNamed + 1) {
      cutDetail_ += ", ...";
    }
  }

  // The pixels of glyphs reaching past the cell are left out, as the font box
  // is the cell; the warning says so.
  void WarnOfCutPixels() {
    if (cutGlyphs_ == 0) return;
    std::string text = std::to_string(cutGlyphs_) +
                       (cutGlyphs_ == 1 ? " glyph has" : " glyphs have") + " pixels outside " +
                       Excerpt(model_.boxLine) + "; those pixels were cut";
    model_.warnings.push_back({std::move(text), std::move(cutDetail_)});
  }

  // A glyph without a code is read like any other and left out of the font.
  void SkipUnencodedGlyph(std::int64_t encodingLine, const std::string& encodingText) {
    scratch_.assign(static_cast<std::size_t>(model_.glyphBytes()) + 1, 0);
    const GlyphTarget glyph{scratch_[0], std::span<std::uint8_t>(scratch_).subspan(1)};
    FinishGlyph(ReadGlyph(lines_, glyph, model_.box), encodingLine, encodingText);
  }

  void FinishGlyph(GlyphOutcome outcome, std::int64_t encodingLine,
                   const std::string& encodingText) {
    if (!outcome.refusal.empty()) return Refuse(std::move(outcome.refusal));
    if (!outcome.complete) {
      refusal_ = At(encodingLine, UnexpectedEndAt(encodingLine, encodingText));
    }
  }

  BdfLines& lines_;
  const ScanOptions& options_;
  FontModel model_;
  std::uint32_t fileIndex_ = 0;
  std::string registry_;
  std::int64_t registryLine_ = 0;
  std::string encoding_;
  std::optional<std::pair<std::string, std::string>> xlfdCharset_;
  std::int64_t declaredGlyphs_ = 0;
  std::int64_t glyphsRead_ = 0;
  bool cellChecked_ = false;
  std::vector<bool> seen_;
  std::vector<std::uint8_t> scratch_;
  std::int64_t cutGlyphs_ = 0;
  std::string cutDetail_;  // the first glyphs with cut pixels, by line
  std::optional<Diagnostic> refusal_;
};

}  // namespace

Result<FontModel> ScanBdf(ByteInput& input, LineReaderState& lineState, const std::string& fileName,
                          const ScanOptions& options, FontModel model) {
  BdfLines lines(input, lineState);
  auto scanned = BdfScanner(lines, options, std::move(model), fileName).Run();
  if (const auto& failure = input.ReadFailure()) {
    if (input.DataRefused()) return Diagnostic{fileName, 0, failure->text};
    return Diagnostic{
        fileName, 0,
        CannotReadFile(fileName, failure->text.empty() ? "read error" : failure->text)};
  }
  return scanned;
}

}  // namespace kelvane::bdf
