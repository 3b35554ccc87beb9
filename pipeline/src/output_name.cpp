#include <filesystem>

#include "pipeline/conversion.h"
#include "pipeline_messages.h"

namespace kelvane {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Whether `path` ends in `end` (given in lower case), in any case.
bool EndsWithAnyCase(std::string_view path, std::string_view end) {
  if (path.size() < end.size()) return false;
  const std::string_view tail = path.substr(path.size() - end.size());
  for (std::size_t i = 0; i < end.size(); ++i) {
    const char c = tail[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != end[i]) return false;
  }
  return true;
}

}  // namespace

std::string OutputPathFor(const std::string& inputPath) {
  // A compressed font is named for what it holds: k16.bdf.gz gives k16.kvn.
  std::string_view path = inputPath;
  const std::size_t nameStart = path.find_last_of("/\\") + 1;
  if (EndsWithAnyCase(path, ".gz") && path.size() - 3 > nameStart) path.remove_suffix(3);
  for (std::size_t i = path.size(); i-- > 0;) {
    const char c = path[i];
    if (IsSeparator(c)) break;
    if (c != '.') continue;
    if (i == 0 || IsSeparator(path[i - 1])) break;  // a dot-file's name, not an extension
    return std::string(path.substr(0, i)) + ".kvn";
  }
  return std::string(path) + ".kvn";
}

Result<std::vector<std::string>> OutputPathsFor(const std::vector<std::string>& inputs) {
  std::vector<std::string> outputs;
  std::vector<std::string> normal;
  for (const std::string& input : inputs) {
    outputs.push_back(OutputPathFor(input));
    normal.push_back(std::filesystem::path(outputs.back()).lexically_normal().string());
    for (std::size_t earlier = 0; earlier + 1 < normal.size(); ++earlier) {
      if (normal[earlier] != normal.back()) continue;
      return Diagnostic{input, 0, OutputWrittenTwice(outputs.back(), inputs[earlier], input)};
    }
  }
  return outputs;
}

}  // namespace kelvane
