#include "pipeline/conversion.h"

#include <utility>

#include "bdf/bdf_scan.h"
#include "bdf/gzip_source.h"
#include "font/font_merge.h"
#include "font/glyph_order.h"
#include "font/messages.h"
#include "kvn/kvn_encoder.h"
#include "mapping/code_mapping.h"
#include "mapping/code_space.h"
#include "mapping/output_mapping.h"
#include "mapping/subset.h"
#include "platform/file_replacement.h"
#include "platform/input_file.h"
#include "platform/large_buffer.h"

namespace kelvane {
namespace {

// An input file as the BDF reader's byte source.
class FileSource : public bdf::ByteSource {
 public:
  explicit FileSource(platform::InputFile& file) : file_(file) {}
  Result<std::size_t> Read(std::span<char> buffer) override { return file_.Read(buffer); }

 private:
  platform::InputFile& file_;
};

bool IsStandardStream(const std::string& path) { return path == kStandardStream; }

// The options in the form the stages use.
struct Plan {
  JapaneseTable table = JapaneseTable::kCp932;
  std::optional<CodeSpace> output;
  std::optional<Subset> subset;
  bool suggestCharsetOption = false;
};

Result<Plan> PlanFor(const ConversionOptions& options) {
  Plan plan;
  plan.suggestCharsetOption = options.suggestCharsetOption;
  const auto table = JapaneseTableNamed(options.table);
  if (!table) return Diagnostic{.text = "unknown table \"" + options.table + "\" (jis, cp932)"};
  plan.table = *table;
  if (options.charset) {
    auto output = CodeSpace::ForOutput(*options.charset, plan.table);
    if (!output) return std::move(output).error();
    plan.output = std::move(*output);
  }
  if (options.charsText || options.codes) {
    Subset subset;
    subset.name = options.charsName.empty() ? "the text" : options.charsName;
    if (options.charsText) {
      auto chars = CharactersOfText(*options.charsText);
      if (!chars) return Diagnostic{.text = subset.name + ": " + chars.error().text};
      subset.characters = std::move(*chars);
    }
    if (options.codes) {
      auto codes = ParseCodeList(*options.codes);
      if (!codes) return std::move(codes).error();
      subset.codes = std::move(*codes);
    }
    plan.subset = std::move(subset);
  }
  return plan;
}

Result<platform::InputFile> OpenInput(const std::string& path, const ConversionRequest& request) {
  if (IsStandardStream(path)) return platform::InputFile::StandardInput();
  const auto kinds = request.inputPolicy == InputPolicy::kRegularFilesOnly
                         ? platform::InputKinds::kRegularOnly
                         : platform::InputKinds::kAllowPipes;
  auto file = platform::InputFile::Open(path, kinds);
  if (!file) return Diagnostic{path, 0, CannotOpenFile(path, file.error().text)};
  if (!IsStandardStream(request.output) && file->IsSameFileAs(request.output)) {
    return Diagnostic{path, 0, OutputIsInput(request.output)};
  }
  return file;
}

bdf::ScanOptions ScanOptionsFor(const Plan& plan) {
  bdf::ScanOptions options;
  options.refuseCell = kvn::CellLimitReason;
  if (plan.output) return options;  // any character set that can be mapped is read
  options.refuseRegistry = [suggest = plan.suggestCharsetOption](std::string_view registry) {
    auto refusal = RegistryRefusal(registry);
    if (refusal && suggest && registry.starts_with("ISO10646")) {
      *refusal += " (--charset shift_jis maps it)";
    }
    return refusal;
  };
  return options;
}

Result<FontModel> Scan(bdf::ByteSource& source, const std::string& name, const Plan& plan,
                       bdf::LineReaderState& lineState) {
  bdf::GzipOrPlainSource decoded(source);
  bdf::ByteInput input(decoded);
  return bdf::ScanBdf(input, lineState, name, ScanOptionsFor(plan),
                      FontModel(platform::LargeBufferResource()));
}

// Reads one input and closes it before returning.
Result<FontModel> ScanFile(const std::string& path, const ConversionRequest& request,
                           const Plan& plan, bdf::LineReaderState& lineState) {
  auto file = OpenInput(path, request);
  if (!file) return std::move(file).error();
  FileSource source(*file);
  return Scan(source, path, plan, lineState);
}

// Gives the font its output codes; notes what was left out.
Status Map(FontModel& font, const Plan& plan, std::vector<std::string>& notes) {
  if (!plan.output) return MapCodes(font);
  auto mapped = MapToOutput(font, *plan.output, plan.table);
  if (!mapped) return std::move(mapped).error();
  for (std::string& note : *mapped) notes.push_back(font.files.front() + ": " + std::move(note));
  return Ok();
}

// The character sets a subset looks codes up in, by file: without an output
// code set, each font's own. A font whose character set is unknown cannot say
// which characters its codes stand for.
Result<std::vector<CodeSpace>> FontSpaces(const std::vector<FontModel>& fonts, const Plan& plan) {
  std::vector<CodeSpace> spaces;
  if (plan.output || !plan.subset || !plan.subset->characters) return spaces;
  for (const FontModel& font : fonts) {
    auto space = CodeSpace::ForFont(font.registry, font.encoding, plan.table);
    if (!space) {
      return Diagnostic{font.files.front(), 0,
                        CharsetNotSupported(font.registry, "--chars needs a known character set")};
    }
    spaces.push_back(std::move(*space));
  }
  return spaces;
}

// The cell of the fonts together must fit the layout too; the font whose box
// makes it too large is named, before any bitmap of that size is made.
std::optional<Diagnostic> CheckCombinedCell(const std::vector<FontModel>& fonts) {
  for (std::size_t count = 2; count <= fonts.size(); ++count) {
    const auto cell = MergedCell(std::span(fonts).first(count));
    const FontModel& added = fonts[count - 1];
    const auto reason =
        cell ? kvn::CellLimitReason(*cell) : std::optional<std::string>("too large");
    if (!reason) continue;
    return Diagnostic{added.fileOf(added.boxSource), added.boxSource.line,
                      ValueOutOfRangeAt(added.boxSource.line, added.boxLine,
                                        *reason + ", with the fonts before it")};
  }
  return std::nullopt;
}

struct Prepared {
  FontModel font;
  std::vector<std::string> notes, warnings;
};

Result<Prepared> Prepare(std::vector<FontModel> fonts, const Plan& plan) {
  std::vector<std::string> notes;
  for (FontModel& font : fonts) {
    if (auto mapped = Map(font, plan, notes); !mapped) return std::move(mapped).error();
  }
  auto spaces = FontSpaces(fonts, plan);
  if (!spaces) return std::move(spaces).error();
  if (auto tooLarge = CheckCombinedCell(fonts)) return std::move(*tooLarge);
  auto merged = MergeFonts(std::move(fonts), platform::LargeBufferResource());
  if (!merged) return std::move(merged).error();
  notes.insert(notes.end(), merged->notes.begin(), merged->notes.end());
  // Moved, not assigned: the bitmaps stay in the memory they were read into.
  Prepared prepared{std::move(merged->font), std::move(notes), {}};
  if (plan.subset) {
    SubsetSpaces subsetSpaces;
    if (plan.output) subsetSpaces.output = &*plan.output;
    for (const CodeSpace& space : *spaces) subsetSpaces.byFile.push_back(&space);
    auto subset = ApplySubset(prepared.font, *plan.subset, subsetSpaces);
    if (!subset) return std::move(subset).error();
    prepared.notes.insert(prepared.notes.end(), subset->notes.begin(), subset->notes.end());
    prepared.warnings = std::move(subset->warnings);
  }
  if (auto sorted = SortGlyphsByCode(prepared.font); !sorted) return std::move(sorted).error();
  return prepared;
}

Result<Prepared> ReadAndPrepare(const ConversionRequest& request, bdf::LineReaderState& lineState) {
  auto plan = PlanFor(request.options);
  if (!plan) return std::move(plan).error();
  std::vector<FontModel> fonts;
  for (const std::string& path : request.inputs) {
    auto font = ScanFile(path, request, *plan, lineState);
    if (!font) return std::move(font).error();
    fonts.push_back(std::move(*font));
  }
  if (fonts.empty()) return Diagnostic{.text = "no input"};
  return Prepare(std::move(fonts), *plan);
}

Status WriteOutput(const std::string& outputPath, const FontModel& font,
                   const kvn::KvnFront& front) {
  auto replacement = IsStandardStream(outputPath) ? platform::FileReplacement::ToStandardOutput()
                                                  : platform::FileReplacement::Begin(outputPath);
  if (!replacement) return replacement.error();
  auto written = replacement->Write(front.bytes);
  if (written) {
    written = kvn::WriteKvnRecords(
        font, [&](std::span<const std::uint8_t> piece) { return replacement->Write(piece); });
  }
  if (written) written = replacement->Commit();
  return written;
}

ConversionSummary SummaryOf(const std::string& outputPath, const kvn::KvnFront& front,
                            Prepared& prepared) {
  ConversionSummary summary;
  summary.outputPath = outputPath;
  summary.glyphCount = front.header.glyphCount;
  summary.rangeCount = front.header.rangeCount;
  summary.cellWidth = front.header.cellWidth;
  summary.cellHeight = front.header.cellHeight;
  summary.fileSize = front.fileSize;
  summary.notes = std::move(prepared.notes);
  summary.warnings = std::move(prepared.warnings);
  return summary;
}

}  // namespace

Status CheckOptions(const ConversionOptions& options) {
  auto plan = PlanFor(options);
  if (!plan) return std::move(plan).error();
  return Ok();
}

Result<FontModel> ReadFont(const ConversionRequest& request, bdf::LineReaderState& lineState) {
  auto prepared = ReadAndPrepare(request, lineState);
  if (!prepared) return std::move(prepared).error();
  return std::move(prepared->font);
}

Result<FontModel> ReadFont(bdf::ByteInput& input, const std::string& name,
                           bdf::LineReaderState& lineState) {
  const Plan plan;
  auto font = bdf::ScanBdf(input, lineState, name, ScanOptionsFor(plan));
  if (!font) return font;
  std::vector<FontModel> fonts;
  fonts.push_back(std::move(*font));
  auto prepared = Prepare(std::move(fonts), plan);
  if (!prepared) return std::move(prepared).error();
  return std::move(prepared->font);
}

Result<ConversionSummary> Convert(const ConversionRequest& request,
                                  bdf::LineReaderState& lineState) {
  auto prepared = ReadAndPrepare(request, lineState);
  if (!prepared) return std::move(prepared).error();
  auto front = kvn::PlanKvn(prepared->font);
  if (!front) return std::move(front).error();
  if (auto written = WriteOutput(request.output, prepared->font, *front); !written) {
    return Diagnostic{request.output, 0, CannotWriteFile(request.output, written.error().text)};
  }
  return SummaryOf(request.output, *front, *prepared);
}

Result<std::vector<std::uint8_t>> ConvertToBytes(const ConversionRequest& request,
                                                 bdf::LineReaderState& lineState) {
  auto prepared = ReadAndPrepare(request, lineState);
  if (!prepared) return std::move(prepared).error();
  return kvn::EncodeKvn(prepared->font);
}

Result<std::vector<TextCode>> EncodeText(std::string_view utf8, const std::string& charset,
                                         const std::string& table) {
  const auto japanese = JapaneseTableNamed(table);
  if (!japanese) return Diagnostic{.text = "unknown table \"" + table + "\" (jis, cp932)"};
  auto space = CodeSpace::ForOutput(charset, *japanese);
  if (!space) return std::move(space).error();
  std::vector<TextCode> codes;
  for (std::size_t at = 0; at < utf8.size();) {
    auto c = NextCharacter(utf8, at);
    if (!c) return Diagnostic{.text = "the text is not UTF-8"};
    auto found = space->CodesOf(*c);
    if (found.empty() && VariantOf(*c)) found = space->CodesOf(*VariantOf(*c));
    codes.push_back({*c, found.empty() ? std::nullopt : std::optional(found.front())});
  }
  return codes;
}

void PrepareProcessForConversions() { platform::InstallSignalHandling(); }

}  // namespace kelvane
