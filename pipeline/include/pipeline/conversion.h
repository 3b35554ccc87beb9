// One conversion from BDF to KVN, as a pipeline of stages: scan each input into
// a font model, map its codes, sort the glyphs by code, check the output's
// limits, encode, and replace the output file.
#pragma once

#include <cstdint>
#include <optional>
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

// What to make of the fonts. Without an output code set, each font keeps the
// codes of its own character set (JIS X 0208 as Shift_JIS).
struct ConversionOptions {
  std::optional<std::string> charset;  // shift_jis, jisx0208, jisx0201, iso8859-N, unicode
  std::string table = "cp932";         // the Japanese table: jis or cp932
  std::optional<std::string> charsText;  // keep these characters (UTF-8 text)...
  std::string charsName;                 // ...read from this file, for notes
  std::optional<std::string> codes;      // keep these output codes: "0x20-0x7E,0x8140"
  bool suggestCharsetOption = false;     // a refused ISO 10646 font mentions --charset
};

struct ConversionRequest {
  std::vector<std::string> inputs;  // UTF-8 paths, or "-"; several make one font
  std::string output;               // a UTF-8 path, or "-"
  InputPolicy inputPolicy = InputPolicy::kFilesAndPipes;
  ConversionOptions options{};
};

// What a successful conversion wrote.
struct ConversionSummary {
  std::string outputPath;
  std::int64_t glyphCount = 0;
  std::int64_t rangeCount = 0;
  std::int64_t cellWidth = 0;
  std::int64_t cellHeight = 0;
  std::int64_t fileSize = 0;
  std::vector<std::string> notes;     // details worth telling when asked (-v)
  std::vector<std::string> warnings;  // worth telling always
};

// Why the options cannot be used (an unknown code set or table, a bad code
// list, --chars text that is not UTF-8), or Ok.
Status CheckOptions(const ConversionOptions& options);

// Runs every stage; nothing is written unless all of them succeed.
Result<ConversionSummary> Convert(const ConversionRequest& request,
                                  bdf::LineReaderState& lineState);

// The stages before encoding: the font as it would be written, sorted by code.
Result<FontModel> ReadFont(const ConversionRequest& request, bdf::LineReaderState& lineState);
// The same for BDF text from any input; `name` names it in diagnostics.
Result<FontModel> ReadFont(bdf::ByteInput& input, const std::string& name,
                           bdf::LineReaderState& lineState);

// Runs every stage but the last: the KVN file in memory, nothing written.
Result<std::vector<std::uint8_t>> ConvertToBytes(const ConversionRequest& request,
                                                 bdf::LineReaderState& lineState);

// One character of a text and the code a device finds it by in a code set
// (the character's own, else its variant's), or none.
struct TextCode {
  char32_t character = 0;
  std::optional<std::int32_t> code;
};
// The characters of UTF-8 text in order, each with its code in `charset`
// (shift_jis, jisx0208, jisx0201, iso8859-N, unicode) under `table`.
Result<std::vector<TextCode>> EncodeText(std::string_view utf8, const std::string& charset,
                                         const std::string& table);

// Makes SIGINT, SIGTERM and SIGHUP remove a half-written output before the
// process ends, and a file-size limit fail a write instead of killing the
// process. Call once at program start.
void PrepareProcessForConversions();

}  // namespace kelvane
