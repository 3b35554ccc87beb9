// One conversion from BDF to KVN, as a pipeline of stages: scan each input into
// a font model, map its codes, sort the glyphs by code, check the output's
// limits, encode, and replace the output file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bdf/line_reader.h"
#include "font/font_model.h"
#include "font/result.h"

namespace kelvane {

// Which inputs may be read. A FIFO without a writer blocks whoever opens it,
// so the window reads regular files only; the command also reads pipes.
enum class InputPolicy { kRegularFilesOnly, kFilesAndPipes };

// The name that stands for standard input (as an input) or standard output (as
// the output).
inline constexpr std::string_view kStandardStream = "-";

struct ConversionRequest {
  std::string input;   // a UTF-8 path, or "-"
  std::string output;  // a UTF-8 path, or "-"
  InputPolicy inputPolicy = InputPolicy::kFilesAndPipes;
};

// What a successful conversion wrote.
struct ConversionSummary {
  std::string outputPath;
  std::int64_t glyphCount = 0;
  std::int64_t rangeCount = 0;
  std::int64_t cellWidth = 0;
  std::int64_t cellHeight = 0;
  std::int64_t fileSize = 0;
  std::vector<std::string> notes;  // details worth telling when asked (-v)
};

// Runs every stage; nothing is written unless all of them succeed.
Result<ConversionSummary> Convert(const ConversionRequest& request,
                                  bdf::LineReaderState& lineState);

// The stages before encoding: the font as it would be written, sorted by code.
Result<FontModel> ReadFont(const ConversionRequest& request, bdf::LineReaderState& lineState);
// The same for BDF text from any input; `name` names it in diagnostics.
Result<FontModel> ReadFont(bdf::ByteInput& input, const std::string& name,
                           bdf::LineReaderState& lineState);

// Makes SIGINT, SIGTERM and SIGHUP remove a half-written output before the
// process ends, and a file-size limit fail a write instead of killing the
// process. Call once at program start.
void PrepareProcessForConversions();

}  // namespace kelvane
