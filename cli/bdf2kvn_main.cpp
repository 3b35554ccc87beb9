// bdf2kvn: converts fonts (BDF, PCF, TrueType and OpenType, Windows, FONTX2,
// Unifont .hex, PSF) into KVN font files from the command line.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "conversion_options.h"
#include "kelvane/version.h"
#include "pipeline/conversion.h"
#include "terminal_text.h"
#include "user_words.h"

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
  bool standardInput = false;
  for (const std::string& file : args.files) {
    if (file.empty()) return "empty FILE argument";
    if (file != kelvane::kStandardStream) continue;
    if (!outputGiven) return "- (standard input) needs -o OUTPUT";
    if (standardInput) return "- (standard input) can be read only once";
    standardInput = true;
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
                              const kelvane::Diagnostic* refusal) {
  if (refusal == nullptr) return inputs.front();
  const auto named = std::find(inputs.begin(), inputs.end(), refusal->file);
  return named != inputs.end() ? *named : inputs.front();
}

void PrintRefusal(const std::vector<std::string>& inputs, const kelvane::Diagnostic& refusal) {
  std::cerr << "bdf2kvn: " << kelvane::EscapeControlBytes(NamedInput(inputs, &refusal)) << ": "
            << kelvane::EscapeControlBytes(
                   kelvane::WithRemedyWords(refusal, kelvane::RemedyText(refusal.remedy)))
            << '\n';
}

// Each list of inputs with the output it is converted into: every FILE beside
// itself, or all of them into -o's OUTPUT.
kelvane::Result<std::vector<kelvane::ConversionRequest>> Requests(
    const Arguments& args, const kelvane::ConversionOptions& options) {
  std::vector<kelvane::ConversionRequest> requests;
  const auto request = [&](std::vector<std::string> inputs, std::string output) {
    requests.push_back(
        {std::move(inputs), std::move(output), kelvane::InputPolicy::kFilesAndPipes, options});
  };
  if (!args.output.empty()) {
    request(args.files, args.output);
    return requests;
  }
  auto outputs = kelvane::OutputPathsFor(args.files);
  if (!outputs) return std::move(outputs).error();
  for (std::size_t i = 0; i < args.files.size(); ++i) request({args.files[i]}, (*outputs)[i]);
  return requests;
}

// Converts each list of files into its output; 0 or kExitRefused.
int ConvertAll(const Arguments& args, const kelvane::ConversionOptions& options) {
  const auto requests = Requests(args, options);
  if (!requests) {
    PrintRefusal(args.files, requests.error());
    return kExitRefused;
  }
  kelvane::PrepareProcessForConversions();
  // One converter for the whole run: a CR ending one file and an LF starting
  // the next read from one stream are one line end.
  kelvane::Converter converter;
  // With the font on standard output, the -v lines go to standard error.
  std::ostream& report = args.output == kelvane::kStandardStream ? std::cerr : std::cout;
  int status = 0;
  for (const kelvane::ConversionRequest& request : *requests) {
    const auto result = converter.Convert(request);
    if (!result) {
      PrintRefusal(request.inputs, result.error());
      status = kExitRefused;
      continue;
    }
    for (const kelvane::Warning& warning : result->warnings) {
      std::cerr << kelvane::WarningLine("bdf2kvn", NamedInput(request.inputs, nullptr), warning,
                                        args.verbose)
                << '\n';
    }
    // Each warning's detail is among the notes.
    if (args.verbose) PrintSummary(report, *result);
  }
  return status;
}

// The kinds of font read, each with an example of what it needs.
constexpr char kFormats[] =
    "Fonts are told by their first bytes, whatever their names, gzip-compressed too. Bitmap\n"
    "fonts of one size need no option; outline fonts and fonts of several sizes need --size,\n"
    "a collection's faces after the first --face, and Unicode fonts (TrueType, OpenType,\n"
    ".hex, PSF with a Unicode table, ISO10646 BDF and PCF) --charset:\n"
    "  BDF                       bdf2kvn k16.bdf\n"
    "  PCF                       bdf2kvn -o k16.kvn k16.pcf.gz\n"
    "  TrueType, OpenType, WOFF  bdf2kvn --size 8 --charset shift_jis -o misaki.kvn "
    "misaki_gothic.ttf\n"
    "  collections (.ttc, .otc)  bdf2kvn --size 16 --face 2 --charset shift_jis -o wqy.kvn "
    "wqy-zenhei.ttc\n"
    "  bitmap OpenType (.otb)    bdf2kvn --charset unicode -o ter16.kvn ter-u16n.otb\n"
    "  Windows .fnt, .fon        bdf2kvn --size 12 -o f.kvn app.fon\n"
    "  FONTX2                    bdf2kvn -o k16.kvn HALF.FNT FULL.FNT\n"
    "  Unifont .hex              bdf2kvn --charset unicode -o u.kvn unifont.hex\n"
    "  PSF 1 and 2               bdf2kvn --charset unicode -o c.kvn Lat2-Terminus16.psf.gz\n"
    "A font refused for want of --size names its sizes; a strike of --size is used unless\n"
    "--outline draws the outlines.";

int Run(int argc, char** argv) {
  CLI::App app{
      "Converts fonts into KVN font files: BDF, PCF, TrueType and OpenType (outlines and\n"
      "strikes, .otb, collections, WOFF), Windows .fnt/.fon, FONTX2, Unifont .hex and PSF.\n"
      "Each FILE is written as FILE.kvn beside it (k16.pcf.gz gives k16.kvn); with -o, all\n"
      "FILEs go into one font (a half-width and a full-width font, for example).",
      "bdf2kvn"};
  Arguments args;
  app.add_option("-o,--output", args.output,
                 "Write one font made of every FILE to OUTPUT; - writes to standard output");
  app.add_flag("-v,--verbose", args.verbose,
               "Print what each converted file holds, and what was left out");
  kelvane::AddConversionOptions(app, args.conversion);
  app.add_option("FILE", args.files, "Font files to convert; - reads standard input")->required();
  app.footer(kFormats);
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

}  // namespace

int main(int argc, char** argv) {
  // Whatever goes wrong ends with a message and a status, never an abort.
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "bdf2kvn: " << kelvane::EscapeControlBytes(e.what()) << '\n';
  }
  return kExitRefused;
}
