#include "pipeline/convert_file.h"

namespace kelvane {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

void ConvertFile(const std::string& inputPath, ConversionHost& host, LineReaderState& lineState) {
  if (inputPath.empty()) return;
  host.SetBusy(true);
  const ConversionRequest request{
      {inputPath}, OutputPathFor(inputPath), InputPolicy::kRegularFilesOnly};
  const auto result = Convert(request, lineState);
  if (result) {
    host.ShowDone(*result);
  } else {
    host.ShowError(result.error().text);
  }
  host.SetBusy(false);
}

std::string OutputPathFor(const std::string& inputPath) {
  // A compressed font is named for what it holds: k16.bdf.gz gives k16.kvn.
  std::string_view path = inputPath;
  const std::size_t nameStart = path.find_last_of("/\\") + 1;
  if (path.ends_with(".gz") && path.size() - 3 > nameStart) path.remove_suffix(3);
  for (std::size_t i = path.size(); i-- > 0;) {
    const char c = path[i];
    if (IsSeparator(c)) break;
    if (c != '.') continue;
    if (i == 0 || IsSeparator(path[i - 1])) break;  // a dot-file's name, not an extension
    return std::string(path.substr(0, i)) + ".kvn";
  }
  return std::string(path) + ".kvn";
}

}  // namespace kelvane
