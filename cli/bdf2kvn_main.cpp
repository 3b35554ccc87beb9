// bdf2kvn: converts BDF bitmap fonts into KVN font files from the command line.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "conversion_options.h"
#include "kelvane/version.h"
#include "pipeline/convert_file.h"
#include "terminal_text.h"

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

struct Arguments {
  std::vector<std::string> files;
  std::string output;
  bool verbose = false;
  kelvane::ConversionArguments conversion;
};

int UsageError(const std::string& text) {
  std::cerr << "bdf2kvn: " << kelvane::EscapeControlBytes(text) << '\n';
  return kExitUsage;
}

// A usage error's text, or empty when the arguments can be acted on.
std::string CheckArguments(const Arguments& args, bool outputGiven) {
  if (outputGiven && args.output.empty()) return "-o needs a file name";
  for (const std::string& file : args.files) {
    if (file.empty()) return "empty FILE argument";
    if (file == kelvane::kStandardStream && !outputGiven) {
      return "- (standard input) needs -o OUTPUT";
    }
  }
  return {};
}

void PrintSummary(std::ostream& out, const kelvane::ConversionSummary& summary) {
  out << kelvane::EscapeControlBytes(summary.outputPath) << ": " << summary.glyphCount
      << " glyphs, " << summary.rangeCount << " ranges, " << summary.cellWidth << "x"
      << summary.cellHeight << " cell, " << summary.fileSize << " bytes\n";
  for (const std::string& note : summary.notes) {
    out << "  " << kelvane::EscapeControlBytes(note) << '\n';
  }
}

// The input a message is about: the one a refusal names, else the first.
const std::string& NamedInput(const std::vector<std::string>& inputs,
                              const kelvane::Result<kelvane::ConversionSummary>& result) {
  if (result) return inputs.front();
  const auto named = std::find(inputs.begin(), inputs.end(), result.error().file);
  return named != inputs.end() ? *named : inputs.front();
}

// Converts each list of files into one output; 0 or kExitRefused.
int ConvertAll(const Arguments& args, const kelvane::ConversionOptions& options) {
  kelvane::PrepareProcessForConversions();
  kelvane::LineReaderState lineState;
  // With the font on standard output, the -v lines go to standard error.
  std::ostream& report = args.output == kelvane::kStandardStream ? std::cerr : std::cout;
  std::vector<std::vector<std::string>> groups;
  if (args.output.empty()) {
    for (const std::string& file : args.files) groups.push_back({file});
  } else {
    groups.push_back(args.files);
  }
  int status = 0;
  for (const auto& inputs : groups) {
    const std::string target =
        args.output.empty() ? kelvane::OutputPathFor(inputs.front()) : args.output;
    const auto result = kelvane::Convert(
        {inputs, target, kelvane::InputPolicy::kFilesAndPipes, options}, lineState);
    const std::string prefix =
        "bdf2kvn: " + kelvane::EscapeControlBytes(NamedInput(inputs, result));
    if (!result) {
      std::cerr << prefix << ": " << kelvane::EscapeControlBytes(result.error().text) << '\n';
      status = kExitRefused;
      continue;
    }
    for (const std::string& warning : result->warnings) {
      std::cerr << prefix << ": " << kelvane::EscapeControlBytes(warning) << '\n';
    }
    if (args.verbose) PrintSummary(report, *result);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Converts BDF bitmap fonts (gzip-compressed too) into KVN font files.\n"
      "Each FILE.bdf is written as FILE.kvn beside it; with -o, all FILEs go into\n"
      "one font (a half-width and a full-width font, for example).",
      "bdf2kvn"};
  Arguments args;
  app.add_option("-o,--output", args.output,
                 "Write one font made of every FILE to OUTPUT; - writes to standard output");
  app.add_flag("-v,--verbose", args.verbose,
               "Print what each converted file holds, and what was left out");
  kelvane::AddConversionOptions(app, args.conversion);
  app.add_option("FILE", args.files, "BDF font files to convert; - reads standard input")
      ->required();
  app.set_version_flag("--version", std::string("bdf2kvn ") + KELVANE_VERSION);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : kExitUsage;
  }
  if (const std::string error = CheckArguments(args, app.count("--output") > 0); !error.empty()) {
    return UsageError(error);
  }
  kelvane::ConversionOptions options;
  if (const std::string error = kelvane::MakeConversionOptions(args.conversion, options);
      !error.empty()) {
    return UsageError(error);
  }
  return ConvertAll(args, options);
}
