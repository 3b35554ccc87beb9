// One conversion into KVN, as a pipeline of stages: read each input into a
// font model, map its codes, merge, keep a subset, sort the glyphs by code,
// check the output's limits, encode, and replace the output file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "font/result.h"

namespace kelvane {

// Which inputs may be read. A FIFO without a writer blocks whoever opens it:
// the windows read regular files only, `kvn` and text files such as --chars
// also pipes that already have a writer, and bdf2kvn waits for a writer.
enum class InputPolicy { kRegularFilesOnly, kNoWaiting, kFilesAndPipes };

// The name that stands for standard input (as an input) or standard output (as
// the output).
inline constexpr std::string_view kStandardStream = "-";

// How outlines are fitted to the pixel grid: by the font's own instructions,
// by FreeType's auto-hinter, or not at all.
enum class Hinting { kNative, kAuto, kNone };

// A UTF-8 text whose characters a subset keeps, and the name that stands for
// it in messages (its file's; "the text" when empty).
struct CharactersText {
  std::string name;
  std::string text;
};

// What to make of the fonts. Without an output code set, each font keeps the
// codes of its own character set (JIS X 0208 as Shift_JIS).
struct ConversionOptions {
  std::optional<std::string> charset;  // one of OutputCodeSetNames()
  std::string table = "cp932";         // one of JapaneseTableNames()
  std::vector<CharactersText> chars;   // keep the characters of all these texts
  std::optional<std::string> codes;    // keep these output codes: "0x20-0x7E,0x8140"
  // For TrueType, OpenType, PCF and Windows fonts:
  std::optional<int> face;       // a face of a collection, or a size of a .fon file
  std::optional<int> pixelSize;  // pixels per em: a strike, or the size outlines are drawn at
  bool outline = false;          // draw the outlines even where a strike of pixelSize exists
  Hinting hinting = Hinting::kNative;
  std::optional<std::pair<int, int>> cell;  // this cell instead of the one the glyphs need
};

struct ConversionRequest {
  std::vector<std::string> inputs;  // paths, or "-"; several make one font
  std::string output;               // a path, or "-"
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
  std::vector<std::string> notes;  // details worth telling when asked
  std::vector<Warning> warnings;   // worth telling always
};

// A font as the device reader takes it: a KVN file's bytes as read, or a font
// converted into KVN in memory.
struct FontBytes {
  std::vector<std::uint8_t> bytes;  // a KVN file: no more than its largest header describes
  std::uint64_t fileSize = 0;       // of the KVN file, or of the conversion
  bool converted = false;
  std::vector<Warning> warnings;  // of a conversion
  // Rows from the top of the cell down to the baseline, when the converted
  // font states where its baseline lies (FONTX2 and PSF fonts, and KVN files,
  // do not); below 0 or past the cell's height when it lies outside the cell.
  std::optional<std::int64_t> baseline;
};

// Why the options cannot be used (an unknown code set or table, a bad code
// list, --chars text that is not UTF-8 or has no characters), or Ok.
Status CheckOptions(const ConversionOptions& options);

// Runs conversions one after another. A CR that ends one BDF file pairs with
// an LF that starts the next one the same converter reads, as one line end.
//
// A stop request ends a conversion as soon as it can; nothing is written.
class Converter {
 public:
  Converter();
  ~Converter();
  Converter(Converter&&) noexcept;
  Converter& operator=(Converter&&) noexcept;

  // Runs every stage; nothing is written unless all of them succeed.
  Result<ConversionSummary> Convert(const ConversionRequest& request, std::stop_token stop = {});
  // Runs every stage but the last: the KVN file in memory, nothing written.
  Result<std::vector<std::uint8_t>> ConvertToBytes(const ConversionRequest& request,
                                                   std::stop_token stop = {});
  // The font at `path` as the reader takes it: a KVN file as it is, or a font
  // of another kind (BDF, gzip-compressed too) converted with `options`.
  Result<FontBytes> LoadFont(const std::string& path, const ConversionOptions& options,
                             InputPolicy policy, std::stop_token stop = {});

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// BDF text (gzip-compressed too) in memory converted into a KVN file in memory.
Result<std::vector<std::uint8_t>> ConvertBdfBytes(std::string_view bytes,
                                                  const ConversionOptions& options);

// The output each input is converted into when no output is named, in order.
// Two inputs that would write one file are refused, naming both, before
// anything is written.
Result<std::vector<std::string>> OutputPathsFor(const std::vector<std::string>& inputs);

// The input path with its font endings (.bdf, .bdf.gz, .gz, in any case; or
// else its last extension) replaced by ".kvn": fonts/k16.bdf.gz gives
// fonts/k16.kvn. The leading dot of a name such as ".fonts" does not start an
// extension.
std::string OutputPathFor(const std::string& inputPath);

// One character of a text and the code a device finds it by in a code set
// (the character's own, else its variant's in a Japanese code set), or none.
struct TextCode {
  char32_t character = 0;
  std::optional<std::int32_t> code;
};
// The characters of UTF-8 text in order, each with its code in `charset`
// under `table`.
Result<std::vector<TextCode>> EncodeText(std::string_view utf8, const std::string& charset,
                                         const std::string& table);

// The character each code from 0 to 0xFFFF stands for in `charset` under
// `table` (index: the code), none for a code the set does not hold.
Result<std::vector<std::optional<char32_t>>> CharactersOfCodes(const std::string& charset,
                                                               const std::string& table);

// Makes SIGINT, SIGTERM and SIGHUP remove a half-written output before the
// process ends, and a file-size limit fail a write instead of killing the
// process. Call once at program start.
void PrepareProcessForConversions();

}  // namespace kelvane
