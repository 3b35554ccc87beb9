#include "pipeline/convert_file.h"

namespace kelvane {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

void ConvertFile(const std::string& inputPath, ConversionHost& host, LineReaderState& lineState) {
  if (inputPath.empty()) return;
  host.SetBusy(true);
  const ConversionRequest request{inputPath, OutputPathFor(inputPath),
                                  InputPolicy::kRegularFilesOnly};
  const auto result = Convert(request, lineState);
  if (result) {
    host.ShowDone(*result);
  } else {
    host.ShowError(result.error().text);
  }
  host.SetBusy(false);
}

std::string OutputPathFor(const std::string& inputPath) {
  for (std::size_t i = inputPath.size(); i-- > 0;) {
    const char c = inputPath[i];
    if (IsSeparator(c)) break;
    if (c != '.') continue;
    if (i == 0 || IsSeparator(inputPath[i - 1])) break;  // a dot-file's name, not an extension
    return inputPath.substr(0, i) + ".kvn";
  }
  return inputPath + ".kvn";
}

}  // namespace kelvane
