// bdf2kvn: converts BDF bitmap fonts into KVN font files from the command line.
#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <vector>

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
};

int UsageError(const std::string& text) {
  std::cerr << "bdf2kvn: " << text << '\n';
  return kExitUsage;
}

// A usage error's text, or empty when the arguments can be acted on.
std::string CheckArguments(const Arguments& args, bool outputGiven) {
  if (outputGiven && args.output.empty()) return "-o needs a file name";
  if (outputGiven && args.files.size() != 1) return "-o needs exactly one FILE";
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

int ConvertAll(const Arguments& args) {
  kelvane::PrepareProcessForConversions();
  kelvane::LineReaderState lineState;
  // With the font on standard output, the -v lines go to standard error.
  std::ostream& report = args.output == kelvane::kStandardStream ? std::cerr : std::cout;
  int status = 0;
  for (const std::string& file : args.files) {
    const std::string target = args.output.empty() ? kelvane::OutputPathFor(file) : args.output;
    const auto result =
        kelvane::Convert({file, target, kelvane::InputPolicy::kFilesAndPipes}, lineState);
    if (!result) {
      std::cerr << "bdf2kvn: " << kelvane::EscapeControlBytes(file) << ": "
                << kelvane::EscapeControlBytes(result.error().text) << '\n';
      status = kExitRefused;
    } else if (args.verbose) {
      PrintSummary(report, *result);
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Converts BDF bitmap fonts into KVN font files.\n"
      "Each FILE.bdf is written as FILE.kvn beside it.",
      "bdf2kvn"};
  Arguments args;
  app.add_option("-o,--output", args.output,
                 "Write to OUTPUT instead (one FILE only); - writes to standard output");
  app.add_flag("-v,--verbose", args.verbose, "Print what each converted file holds");
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
  return ConvertAll(args);
}
