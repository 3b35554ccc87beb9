#include "pipeline/conversion.h"

#include <algorithm>
#include <functional>
#include <memory_resource>
#include <string>
#include <string_view>
#include <utility>

#include "bdf/bdf_scan.h"
#include "bdf/gzip_source.h"
#include "bdf/line_reader.h"
#include "file_kind.h"
#include "font/font_merge.h"
#include "font/glyph_order.h"
#include "font/messages.h"
#include "input_files.h"
#include "kvn/kvn_check.h"
#include "kvn/kvn_encoder.h"
#include "kvn/kvn_layout.h"
#include "mapping/code_mapping.h"
#include "mapping/code_space.h"
#include "mapping/output_mapping.h"
#include "mapping/subset.h"
#include "pipeline_messages.h"
#include "platform/file_replacement.h"
#include "platform/large_buffer.h"
#include "simple_fonts/simple_fonts.h"
#include "typeface/typeface_reader.h"

namespace kelvane {

struct Converter::State {
  bdf::LineReaderState lines;
};

namespace {

// The first bytes read to tell what a file is.
constexpr std::size_t kSniffBytes = 512;
// How far the bytes after a KVN font's data are counted.
constexpr std::uint64_t kMostCounted = std::uint64_t{1} << 32;

// The options in the form the stages use.
struct Plan {
  ConversionOptions options;
  JapaneseTable table = JapaneseTable::kCp932;
  std::optional<CodeSpace> output;
  std::optional<Subset> subset;
};

Diagnostic UnknownTable(const std::string& name) {
  std::string names;
  for (const std::string_view table : JapaneseTableNames()) {
    names += (names.empty() ? "" : ", ") + std::string(table);
  }
  return Diagnostic{.text = "unknown table \"" + name + "\" (" + names + ")"};
}

std::string NameOf(const CharactersText& text) {
  return text.name.empty() ? "the text" : text.name;
}

// The subset of the characters of every text and of the code list. Each text
// is checked on its own, so that a refusal names its file; the warnings name
// them all: "a.txt and b.txt", "a.txt, b.txt and c.txt".
Result<Subset> SubsetOf(const std::vector<CharactersText>& texts,
                        const std::optional<std::string>& codes) {
  auto subset = MakeSubset(
      texts.empty() ? "the text" : NameOf(texts.front()),
      texts.empty() ? std::nullopt : std::optional<std::string_view>(texts.front().text), codes);
  if (!subset) return std::move(subset).error();
  for (std::size_t i = 1; i < texts.size(); ++i) {
    auto more = MakeSubset(NameOf(texts[i]), texts[i].text, std::nullopt);
    if (!more) return std::move(more).error();
    subset->characters->append(*more->characters);
    subset->name += (i + 1 == texts.size() ? " and " : ", ") + NameOf(texts[i]);
  }
  if (texts.size() > 1) {
    std::u32string& all = *subset->characters;
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
  }
  return subset;
}

Result<Plan> PlanFor(const ConversionOptions& options) {
  Plan plan;
  plan.options = options;
  const auto table = JapaneseTableNamed(options.table);
  if (!table) return UnknownTable(options.table);
  plan.table = *table;
  if (options.charset) {
    auto output = CodeSpace::ForOutput(*options.charset, plan.table);
    if (!output) return std::move(output).error();
    plan.output = std::move(*output);
  }
  if (!options.chars.empty() || options.codes) {
    auto subset = SubsetOf(options.chars, options.codes);
    if (!subset) return std::move(subset).error();
    plan.subset = std::move(*subset);
  }
  return plan;
}

// A refusal of a font's character set is mended by choosing an output code set
// when the characters of its codes are known.
Diagnostic WithCharsetRemedy(Diagnostic refusal, std::string_view registry,
                             std::string_view encoding, const Plan& plan) {
  if (!plan.output && CodeSpace::ForFont(registry, encoding, plan.table)) {
    refusal.remedy = Remedy::kMapCharset;
  }
  return refusal;
}

Result<FontModel> ScanBdfText(bdf::ByteInput& input, const std::string& name, const Plan& plan,
                              bdf::LineReaderState& lines, std::string notAFont = {}) {
  bdf::ScanOptions options;
  options.refuseCell = kvn::CellLimitReason;
  options.notAFont = std::move(notAFont);
  std::string refusedRegistry;
  if (!plan.output) {  // with an output code set, any character set that can be mapped is read
    options.refuseRegistry = [&refusedRegistry](std::string_view registry) {
      auto refusal = RegistryRefusal(registry);
      if (refusal) refusedRegistry = registry;
      return refusal;
    };
  }
  auto font = bdf::ScanBdf(input, lines, name, options, FontModel(platform::LargeBufferResource()));
  if (!font && !refusedRegistry.empty()) {
    return WithCharsetRemedy(std::move(font).error(), refusedRegistry, "", plan);
  }
  return font;
}

// The rest of the input, after the bytes already buffered; a font of a
// megabyte or more lies in huge pages, which are mapped at one go.
Result<std::pmr::string> RestOf(bdf::ByteInput& input, const std::string& name) {
  std::pmr::string bytes(platform::LargeBufferResource());
  // Room made once when the size is known; a size past what gzip may inflate
  // to is left to the reads to find.
  if (const auto left = input.BytesLeft();
      left && *left <= bdf::GzipOrPlainSource::kDefaultMaxOutput) {
    bytes.reserve(static_cast<std::size_t>(*left));
  }
  while (!input.AtEnd()) {
    const std::string_view buffered = input.Buffered();
    bytes.append(buffered);
    input.Consume(buffered.size());
  }
  if (const auto& failure = input.ReadFailure()) {
    if (input.DataRefused()) return Diagnostic{name, 0, failure->text};
    return Diagnostic{name, 0, CannotReadFile(name, failure->text)};
  }
  return bytes;
}

// The glyphs of a Unicode outline font worth drawing: those the output code set
// and the subset keep.
std::function<bool(std::int32_t)> WantedCharacters(const Plan& plan) {
  // Without an output code set the font is refused once it is known to read:
  // one glyph tells that.
  if (!plan.output)
    return [asked = false](std::int32_t) mutable { return !std::exchange(asked, true); };
  return [&plan](std::int32_t code) {
    if (code < 0) return false;
    const auto c = static_cast<char32_t>(code);
    const std::vector<std::int32_t> codes = plan.output->CodesFor(c);
    if (codes.empty()) return false;
    if (!plan.subset) return true;
    const auto& chars = plan.subset->characters;
    const auto variant = plan.output->VariantOf(c);
    if (chars && (std::binary_search(chars->begin(), chars->end(), c) ||
                  (variant && std::binary_search(chars->begin(), chars->end(), *variant)))) {
      return true;
    }
    return std::any_of(codes.begin(), codes.end(), [&](std::int32_t each) {
      return std::any_of(
          plan.subset->codes.begin(), plan.subset->codes.end(),
          [each](const CodeInterval& i) { return each >= i.first && each <= i.last; });
    });
  };
}

typeface::FaceOptions FaceOptionsFor(const Plan& plan, FileKind kind) {
  const ConversionOptions& options = plan.options;
  typeface::FaceOptions face;
  face.face = options.face;
  face.pixelSize = options.pixelSize;
  face.outline = options.outline;
  face.hinting = options.hinting == Hinting::kAuto   ? typeface::Hinting::kAuto
                 : options.hinting == Hinting::kNone ? typeface::Hinting::kNone
                                                     : typeface::Hinting::kNative;
  face.cell = options.cell;
  // Only a TrueType or OpenType font's codes are characters; other fonts are
  // cheap to read whole.
  if (kind == FileKind::kSfnt) face.wanted = WantedCharacters(plan);
  return face;
}

// Reads a font held whole in memory with the reader of its kind.
Result<FontModel> ReadWhole(std::string_view bytes, FileKind kind, const std::string& name,
                            const Plan& plan) {
  const std::span data(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  FontModel model(platform::LargeBufferResource());
  switch (kind) {
    case FileKind::kFontx2:
      return simple::ReadFontx2(data, name, kvn::CellLimitReason, std::move(model));
    case FileKind::kPsf1:
    case FileKind::kPsf2:
      return simple::ReadPsf(data, name, kvn::CellLimitReason, std::move(model));
    case FileKind::kHex:
      return simple::ReadHex(data, name, kvn::CellLimitReason, std::move(model));
    default:
      return typeface::ReadTypeface(data, name, FaceOptionsFor(plan, kind), kvn::CellLimitReason,
                                    std::move(model));
  }
}

// Reads one font from `source`: what its first bytes say it is decides the
// reader (and `readAs`, when given, is set to it), and a file that is no font
// of a known kind is refused as such.
Result<FontModel> Scan(bdf::ByteSource& source, const std::string& name, const Plan& plan,
                       bdf::LineReaderState& lines, const std::stop_token& stop,
                       FileKind* readAs = nullptr) {
  bdf::GzipOrPlainSource decoded(source);
  StoppableSource stoppable(decoded, stop);
  bdf::ByteInput input(stoppable);
  input.AtEnd();  // reads the first bytes
  FileKind kind = SniffFileKind(input.FirstBytes());
  if (readAs != nullptr) *readAs = kind;
  if (kind == FileKind::kEmpty || (kind == FileKind::kGzip && decoded.compressed())) {
    if (!input.ReadFailure()) {
      return Diagnostic{name, 0, FileNotSupported(*UnreadableReason(kind, decoded.compressed()))};
    }
  }
  if (!ReadsWholeFile(kind)) return ScanBdfText(input, name, plan, lines);
  auto bytes = RestOf(input, name);
  if (!bytes) return std::move(bytes).error();
  kind = SniffFileKind(std::string_view(*bytes).substr(0, kSniffBytes), bytes->size());
  if (readAs != nullptr) *readAs = kind;
  if (kind == FileKind::kBinary) {
    // Binary data that holds a BDF font after all is read as one.
    bdf::ByteInput text{std::string(*bytes)};
    return ScanBdfText(text, name, plan, lines, *UnreadableReason(kind, false));
  }
  auto font = ReadWhole(*bytes, kind, name, plan);
  if (font && !plan.output && !font->registry.empty() && RegistryRefusal(font->registry)) {
    return WithCharsetRemedy({name, 0, CharsetNotSupported(font->registry)}, font->registry,
                             font->encoding, plan);
  }
  return font;
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
                        CharsetNotSupported(font.registry,
                                            "a subset of characters needs a known "
                                            "character set"),
                        Remedy::kMapCharset};
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
  std::vector<std::string> notes;
  std::vector<Warning> warnings;
};

Result<Prepared> Prepare(std::vector<FontModel> fonts, const Plan& plan) {
  std::vector<std::string> notes;
  if (!plan.output) {
    if (auto mixed = CheckFontsShareCodes(fonts)) return std::move(*mixed);
  }
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
  prepared.warnings = std::move(prepared.font.warnings);
  if (plan.subset) {
    SubsetSpaces subsetSpaces;
    if (plan.output) subsetSpaces.output = &*plan.output;
    for (const CodeSpace& space : *spaces) subsetSpaces.byFile.push_back(&space);
    auto subset = ApplySubset(prepared.font, *plan.subset, subsetSpaces);
    if (!subset) return std::move(subset).error();
    prepared.notes.insert(prepared.notes.end(), subset->notes.begin(), subset->notes.end());
    prepared.warnings.insert(prepared.warnings.end(), subset->warnings.begin(),
                             subset->warnings.end());
  }
  // Every warning's detail, the subset's too, is told with the notes.
  for (const Warning& warning : prepared.warnings) {
    if (!warning.detail.empty()) prepared.notes.push_back(warning.detail);
  }
  if (auto sorted = SortGlyphsByCode(prepared.font); !sorted) return std::move(sorted).error();
  return prepared;
}

// The inputs of one conversion, read and prepared, and what the output must
// not replace.
struct ReadInputs {
  Prepared prepared;
  std::vector<platform::FileIdentity> inputs;
};

Result<ReadInputs> ReadAndPrepare(const ConversionRequest& request, bdf::LineReaderState& lines,
                                  const std::stop_token& stop) {
  auto plan = PlanFor(request.options);
  if (!plan) return std::move(plan).error();
  std::vector<FontModel> fonts;
  std::vector<platform::FileIdentity> identities;
  for (const std::string& path : request.inputs) {
    auto file = OpenInput(path, request.inputPolicy, request.output);
    if (!file) return std::move(file).error();
    identities.push_back(file->identity());
    InputSource source(*file, {});
    auto font = Scan(source, path, *plan, lines, stop);
    if (!font) return std::move(font).error();
    fonts.push_back(std::move(*font));
  }
  if (fonts.empty()) return Diagnostic{.text = "no input"};
  auto prepared = Prepare(std::move(fonts), *plan);
  if (!prepared) return std::move(prepared).error();
  return ReadInputs{std::move(*prepared), std::move(identities)};
}

Status WriteOutput(const std::string& outputPath, const FontModel& font, const kvn::KvnFront& front,
                   std::span<const platform::FileIdentity> inputs) {
  auto replacement = outputPath == kStandardStream
                         ? platform::FileReplacement::ToStandardOutput()
                         : platform::FileReplacement::Begin(outputPath, inputs);
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

Diagnostic Stopped(const std::string& path) { return {path, 0, CannotWriteFile(path, "stopped")}; }

// An input read from memory.
class MemorySource : public bdf::ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  Result<std::size_t> Read(std::span<char> buffer) override {
    const std::size_t count = std::min(buffer.size(), bytes_.size());
    std::copy_n(bytes_.data(), count, buffer.data());
    bytes_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view bytes_;
};

// Whether a font read as this kind says where its baseline lies: FONTX2 and
// PSF fonts give a cell alone, which their readers put on its bottom row.
bool StatesBaseline(FileKind kind) {
  return kind != FileKind::kFontx2 && kind != FileKind::kPsf1 && kind != FileKind::kPsf2;
}

// The font converted into KVN; `about`, when given, gets the warnings of the
// conversion and the baseline.
Result<std::vector<std::uint8_t>> ConvertFromSource(bdf::ByteSource& source,
                                                    const std::string& name, const Plan& plan,
                                                    bdf::LineReaderState& lines,
                                                    const std::stop_token& stop,
                                                    FontBytes* about = nullptr) {
  FileKind kind = FileKind::kBdf;
  auto font = Scan(source, name, plan, lines, stop, &kind);
  if (!font) return std::move(font).error();
  std::vector<FontModel> fonts;
  fonts.push_back(std::move(*font));
  auto prepared = Prepare(std::move(fonts), plan);
  if (!prepared) return std::move(prepared).error();
  if (about != nullptr) {
    about->warnings = std::move(prepared->warnings);
    // The box's offset is the lower left corner's from the origin, on the baseline.
    const FontBox& box = prepared->font.box;
    if (StatesBaseline(kind)) about->baseline = std::int64_t{box.height} + box.y;
  }
  return kvn::EncodeKvn(prepared->font);
}

// `bytes` and what follows them in the file, up to `limit` bytes in all.
Result<std::string> ReadUpTo(platform::InputFile& file, std::string bytes, std::size_t limit) {
  constexpr std::size_t kChunk = 1 << 16;
  while (bytes.size() < limit) {
    const std::size_t had = bytes.size();
    bytes.resize(std::min(limit, had + kChunk));
    auto got = file.ReadFull(std::span(bytes).subspan(had));
    if (!got) return std::move(got).error();
    bytes.resize(had + *got);
    if (had + *got < std::min(limit, had + kChunk)) break;  // the end of the file
  }
  return bytes;
}

bool HasBdfName(std::string_view path) {
  const auto endsWith = [path](std::string_view end) {
    if (path.size() < end.size()) return false;
    for (std::size_t i = 0; i < end.size(); ++i) {
      const char c = path[path.size() - end.size() + i];
      if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != end[i]) return false;
    }
    return true;
  };
  return endsWith(".bdf") || endsWith(".bdf.gz");
}

}  // namespace

Status CheckOptions(const ConversionOptions& options) {
  auto plan = PlanFor(options);
  if (!plan) return std::move(plan).error();
  return Ok();
}

Converter::Converter() : state_(std::make_unique<State>()) {}
Converter::~Converter() = default;
Converter::Converter(Converter&&) noexcept = default;
Converter& Converter::operator=(Converter&&) noexcept = default;

Result<ConversionSummary> Converter::Convert(const ConversionRequest& request,
                                             std::stop_token stop) {
  auto read = ReadAndPrepare(request, state_->lines, stop);
  if (!read) return std::move(read).error();
  auto front = kvn::PlanKvn(read->prepared.font);
  if (!front) return std::move(front).error();
  if (stop.stop_requested()) return Stopped(request.output);
  if (auto written = WriteOutput(request.output, read->prepared.font, *front, read->inputs);
      !written) {
    const std::string& reason = written.error().text;
    return Diagnostic{request.output, 0,
                      reason == platform::kReplacesInput ? OutputIsInput(request.output)
                                                         : CannotWriteFile(request.output, reason)};
  }
  return SummaryOf(request.output, *front, read->prepared);
}

Result<std::vector<std::uint8_t>> Converter::ConvertToBytes(const ConversionRequest& request,
                                                            std::stop_token stop) {
  auto read = ReadAndPrepare(request, state_->lines, stop);
  if (!read) return std::move(read).error();
  return kvn::EncodeKvn(read->prepared.font);
}

Result<FontBytes> Converter::LoadFont(const std::string& path, const ConversionOptions& options,
                                      InputPolicy policy, std::stop_token stop) {
  auto file = OpenInput(path, policy, {});
  if (!file) return std::move(file).error();
  // The first bytes tell a font of a known kind; anything else is read as far
  // as a KVN file can reach and tried with the device reader.
  auto start = ReadUpTo(*file, {}, kSniffBytes);
  if (start && start->size() == kSniffBytes && !HasLongSignature(SniffFileKind(*start))) {
    start = ReadUpTo(*file, std::move(*start), kvn::kLargestFontBytes);
  }
  if (!start) return Diagnostic{path, 0, CannotReadFile(path, start.error().text)};

  const std::optional<std::uint64_t> size = start->size() < kvn::kLargestFontBytes
                                                ? std::optional<std::uint64_t>(start->size())
                                                : std::nullopt;
  const FileKind kind = SniffFileKind(std::string_view(*start).substr(0, kSniffBytes), size);
  if (!HasLongSignature(kind)) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(start->data());
    const auto refusal = kvn::ReaderRefusal(std::span(data, start->size()));
    if (!refusal) {
      FontBytes font;
      font.bytes.assign(data, data + start->size());
      font.fileSize = start->size();
      // Bytes after the largest font a header can describe are counted (up
      // to a point: a pipe may never end), not kept.
      char rest[1 << 16];
      for (auto more = file->Read(rest); more && *more > 0 && font.fileSize < kMostCounted;
           more = file->Read(rest)) {
        font.fileSize += *more;
      }
      return font;
    }
    // A file the reader refuses is read as a font when its name says BDF or
    // its first bytes a font of a kind with a short signature.
    const bool shortSignature =
        kind == FileKind::kWindows || kind == FileKind::kPsf1 || kind == FileKind::kHex;
    if (!HasBdfName(path) && !shortSignature) return Diagnostic{path, 0, *refusal};
  }
  auto plan = PlanFor(options);
  if (!plan) return std::move(plan).error();
  InputSource source(*file, std::move(*start));
  FontBytes font;
  font.converted = true;
  auto bytes = ConvertFromSource(source, path, *plan, state_->lines, stop, &font);
  if (!bytes) return std::move(bytes).error();
  font.bytes = std::move(*bytes);
  font.fileSize = font.bytes.size();
  return font;
}

Result<std::vector<std::uint8_t>> ConvertBdfBytes(std::string_view bytes,
                                                  const ConversionOptions& options) {
  auto plan = PlanFor(options);
  if (!plan) return std::move(plan).error();
  MemorySource source(bytes);
  bdf::LineReaderState lines;
  return ConvertFromSource(source, "memory", *plan, lines, {});
}

Result<std::vector<TextCode>> EncodeText(std::string_view utf8, const std::string& charset,
                                         const std::string& table) {
  const auto japanese = JapaneseTableNamed(table);
  if (!japanese) return UnknownTable(table);
  auto space = CodeSpace::ForOutput(charset, *japanese);
  if (!space) return std::move(space).error();
  std::vector<TextCode> codes;
  for (std::size_t at = 0; at < utf8.size();) {
    auto c = NextCharacter(utf8, at);
    if (!c) return Diagnostic{.text = "the text is not UTF-8"};
    const auto found = space->CodesFor(*c);
    codes.push_back({*c, found.empty() ? std::nullopt : std::optional(found.front())});
  }
  return codes;
}

Result<std::vector<std::optional<char32_t>>> CharactersOfCodes(const std::string& charset,
                                                               const std::string& table) {
  const auto japanese = JapaneseTableNamed(table);
  if (!japanese) return UnknownTable(table);
  auto space = CodeSpace::ForOutput(charset, *japanese);
  if (!space) return std::move(space).error();
  std::vector<std::optional<char32_t>> characters(0x10000);
  for (std::int32_t code = 0; code <= 0xFFFF; ++code) characters[code] = space->Decode(code);
  return characters;
}

void PrepareProcessForConversions() { platform::InstallSignalHandling(); }

}  // namespace kelvane
