#include "conversion/convert_file.h"

#include <filesystem>
#include <system_error>
#include <variant>

#include "conversion/font_scan.h"
#include "conversion/messages.h"
#include "conversion/utf8_path.h"
#include "output/build_ranges.h"
#include "output/write_font_file.h"

namespace kelvane {
namespace {

struct Refusal {
  std::string text;
};

bool NamesSameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(PathFromUtf8(a), PathFromUtf8(b), ec) && !ec;
}

// Reads the whole font; the input is closed when this returns.
std::variant<ConversionState, Refusal> ReadFont(const std::string& inputPath,
                                                const std::string& outputPath,
                                                LineReaderState& lineState) {
  std::string reason;
  auto input = ByteInput::OpenFile(inputPath, &reason);
  if (!input) return Refusal{CannotOpenFile(inputPath, reason)};
  if (NamesSameFile(inputPath, outputPath)) return Refusal{OutputIsInput(outputPath)};

  BdfLines lines(*input, lineState);
  ScanOutcome scan = ScanFont(lines);
  const bool readFailed = input->ReadFailed();
  input->Close();
  if (readFailed) return Refusal{CannotReadFile(inputPath, "read error")};
  if (!scan.refusal.empty()) return Refusal{std::move(scan.refusal)};
  return std::move(scan.state);
}

std::variant<ConversionSummary, Refusal> Convert(const std::string& inputPath,
                                                 const std::string& outputPath,
                                                 LineReaderState& lineState) {
  auto font = ReadFont(inputPath, outputPath, lineState);
  if (auto* refusal = std::get_if<Refusal>(&font)) return std::move(*refusal);
  const ConversionState& state = std::get<ConversionState>(font);

  const RangeTable ranges = BuildRanges(state.codes, state.defaultCode);
  if (auto failure = WriteFontFile(outputPath, state, ranges)) {
    return Refusal{CannotWriteFile(outputPath, *failure)};
  }
  return ConversionSummary{outputPath, state.glyphCount,
                           static_cast<std::int32_t>(ranges.ranges.size()), state.cellWidth,
                           state.cellHeight};
}

}  // namespace

void ConvertFile(const std::string& inputPath, ConversionHost& host, LineReaderState& lineState) {
  if (inputPath.empty()) return;
  ConvertFileTo(inputPath, OutputPathFor(inputPath), host, lineState);
}

std::optional<ConversionSummary> ConvertFileTo(const std::string& inputPath,
                                               const std::string& outputPath, ConversionHost& host,
                                               LineReaderState& lineState) {
  if (inputPath.empty()) return std::nullopt;
  host.SetBusy(true);
  auto result = Convert(inputPath, outputPath, lineState);
  std::optional<ConversionSummary> summary;
  if (auto* refusal = std::get_if<Refusal>(&result)) {
    host.ShowError(refusal->text);
  } else {
    summary = std::move(std::get<ConversionSummary>(result));
  }
  host.SetBusy(false);
  return summary;
}

std::string OutputPathFor(const std::string& inputPath) {
  for (std::size_t i = inputPath.size(); i-- > 0;) {
    const char c = inputPath[i];
    if (c == '\\' || c == '/') break;
    if (c == '.') return inputPath.substr(0, i) + ".kvn";
  }
  return inputPath + ".kvn";
}

}  // namespace kelvane
