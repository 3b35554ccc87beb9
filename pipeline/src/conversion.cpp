#include "pipeline/conversion.h"

#include <utility>

#include "bdf/bdf_scan.h"
#include "font/glyph_order.h"
#include "font/messages.h"
#include "kvn/kvn_encoder.h"
#include "mapping/code_mapping.h"
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

Result<platform::InputFile> OpenInput(const ConversionRequest& request) {
  if (IsStandardStream(request.input)) return platform::InputFile::StandardInput();
  const auto kinds = request.inputPolicy == InputPolicy::kRegularFilesOnly
                         ? platform::InputKinds::kRegularOnly
                         : platform::InputKinds::kAllowPipes;
  auto file = platform::InputFile::Open(request.input, kinds);
  if (!file) return Diagnostic{request.input, 0, CannotOpenFile(request.input, file.error().text)};
  if (!IsStandardStream(request.output) && file->IsSameFileAs(request.output)) {
    return Diagnostic{request.input, 0, OutputIsInput(request.output)};
  }
  return file;
}

bdf::ScanOptions ScanOptionsForKvn() {
  return {.refuseCell = kvn::CellLimitReason, .refuseRegistry = RegistryRefusal};
}

Result<FontModel> ScanForKvn(bdf::ByteInput& input, const std::string& name,
                             bdf::LineReaderState& lineState) {
  return bdf::ScanBdf(input, lineState, name, ScanOptionsForKvn(),
                      FontModel(platform::LargeBufferResource()));
}

Result<FontModel> MapAndSort(Result<FontModel> font) {
  if (!font) return font;
  if (auto mapped = MapCodes(*font); !mapped) return std::move(mapped).error();
  if (auto sorted = SortGlyphsByCode(*font); !sorted) return std::move(sorted).error();
  return font;
}

// Reads the input and closes it before returning.
Result<FontModel> ScanInput(const ConversionRequest& request, bdf::LineReaderState& lineState) {
  auto file = OpenInput(request);
  if (!file) return std::move(file).error();
  FileSource source(*file);
  bdf::ByteInput input(source);
  return ScanForKvn(input, request.input, lineState);
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

ConversionSummary SummaryOf(const std::string& outputPath, const kvn::KvnFront& front) {
  ConversionSummary summary;
  summary.outputPath = outputPath;
  summary.glyphCount = front.header.glyphCount;
  summary.rangeCount = front.header.rangeCount;
  summary.cellWidth = front.header.cellWidth;
  summary.cellHeight = front.header.cellHeight;
  summary.fileSize = front.fileSize;
  return summary;
}

}  // namespace

Result<FontModel> ReadFont(const ConversionRequest& request, bdf::LineReaderState& lineState) {
  return MapAndSort(ScanInput(request, lineState));
}

Result<FontModel> ReadFont(bdf::ByteInput& input, const std::string& name,
                           bdf::LineReaderState& lineState) {
  return MapAndSort(ScanForKvn(input, name, lineState));
}

Result<ConversionSummary> Convert(const ConversionRequest& request,
                                  bdf::LineReaderState& lineState) {
  auto font = ReadFont(request, lineState);
  if (!font) return std::move(font).error();
  auto front = kvn::PlanKvn(*font);
  if (!front) return std::move(front).error();
  if (auto written = WriteOutput(request.output, *font, *front); !written) {
    return Diagnostic{request.output, 0, CannotWriteFile(request.output, written.error().text)};
  }
  return SummaryOf(request.output, *front);
}

void PrepareProcessForConversions() { platform::InstallSignalHandling(); }

}  // namespace kelvane
