// bdf2kvn: converts BDF bitmap fonts into KVN font files from the command line.
#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <vector>

#include "cli/huge_pages.h"
#include "conversion/convert_file.h"

namespace {

// Reports each refusal on standard error, prefixed with the program and file.
class StderrHost : public kelvane::ConversionHost {
 public:
  void SetFile(const std::string& file) { file_ = file; }
  void SetBusy(bool) override {}
  void ShowError(const std::string& text) override {
    std::cerr << "bdf2kvn: " << file_ << ": " << text << '\n';
  }

 private:
  std::string file_;
};

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Converts BDF bitmap fonts into KVN font files.\n"
      "Each FILE.bdf is written as FILE.kvn beside it.",
      "bdf2kvn"};
  std::string output;
  bool verbose = false;
  std::vector<std::string> files;
  app.add_option("-o,--output", output, "Write to OUTPUT instead (only with a single FILE)");
  app.add_flag("-v,--verbose", verbose, "Print one line per converted file");
  app.add_option("FILE", files, "BDF font files to convert")->required();
  app.set_version_flag("--version", std::string("bdf2kvn ") + KELVANE_VERSION);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : kExitUsage;
  }
  if (!output.empty() && files.size() != 1) {
    std::cerr << "bdf2kvn: -o needs exactly one FILE\n";
    return kExitUsage;
  }
  if (app.count("--output") > 0 && output.empty()) {
    std::cerr << "bdf2kvn: -o needs a file name\n";
    return kExitUsage;
  }
  for (const std::string& file : files) {
    if (file.empty()) {
      std::cerr << "bdf2kvn: empty FILE argument\n";
      return kExitUsage;
    }
  }

  kelvane::RestartWithHugePagesIfWorthwhile(argv, files);
  StderrHost host;
  kelvane::LineReaderState lineState;
  int status = 0;
  for (const std::string& file : files) {
    host.SetFile(file);
    const std::string target = output.empty() ? kelvane::OutputPathFor(file) : output;
    const auto summary = kelvane::ConvertFileTo(file, target, host, lineState);
    if (!summary) {
      status = kExitRefused;
    } else if (verbose) {
      std::cout << summary->outputPath << ": " << summary->glyphCount << " glyphs, "
                << summary->rangeCount << " ranges, " << summary->cellWidth << "x"
                << summary->cellHeight << " cell\n";
    }
  }
  return status;
}
