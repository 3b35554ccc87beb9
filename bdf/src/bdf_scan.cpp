#include "bdf/bdf_scan.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "bdf/glyph_reader.h"
#include "bdf/text_fields.h"
#include "font/messages.h"

namespace kelvane::bdf {
namespace {

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
  BdfScanner(const ByteInput& input, BdfLines& lines, const ScanOptions& options, FontModel model,
             std::string fileName)
      : input_(input), lines_(lines), options_(options), model_(std::move(model)) {
    fileIndex_ = static_cast<std::uint32_t>(model_.files.size());
    model_.files.push_back(std::move(fileName));
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
    return std::move(model_);
  }

 private:
  bool CellIsUsable() const { return model_.box.width > 0 && model_.box.height > 0; }

  void Refuse(std::string text) { refusal_ = Diagnostic{File(), lines_.number(), std::move(text)}; }
  Diagnostic At(std::int64_t line, std::string text) const {
    return {File(), line, std::move(text)};
  }
  const std::string& File() const { return model_.files[fileIndex_]; }

  // Why the font cannot be used: what the file is instead, when its first
  // bytes say it is not BDF text at all, else what the text lacks.
  std::string WhyUnusable() const {
    if (auto notBdf = NotBdfReason(input_.FirstBytes())) return *notBdf;
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
    FinishGlyph(ReadGlyph(lines_, {glyph.advance, model_.bitmap(glyph)}, model_.box), encodingLine,
                encodingText);
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

  const ByteInput& input_;
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
  std::optional<Diagnostic> refusal_;
};

bool LooksBinary(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u == 0 || (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f');
  });
}

}  // namespace

Result<FontModel> ScanBdf(ByteInput& input, LineReaderState& lineState, const std::string& fileName,
                          const ScanOptions& options, FontModel model) {
  BdfLines lines(input, lineState);
  auto scanned = BdfScanner(input, lines, options, std::move(model), fileName).Run();
  if (!input.ReadError().empty()) {
    return Diagnostic{fileName, 0, CannotReadFile(fileName, input.ReadError())};
  }
  return scanned;
}

std::optional<std::string> NotBdfReason(std::string_view firstBytes) {
  if (firstBytes.empty()) return "an empty file";
  if (firstBytes.starts_with("\x01"
                             "fcp")) {
    return "a PCF font, not BDF; pcf2bdf converts it";
  }
  if (firstBytes.starts_with("\x1F\x8B")) return "gzip-compressed";
  if (LooksBinary(firstBytes)) return "binary data, not a BDF font";
  return std::nullopt;
}

}  // namespace kelvane::bdf
