#include "pipeline/files.h"

#include "font/messages.h"
#include "input_files.h"
#include "pipeline_messages.h"
#include "platform/file_replacement.h"

namespace kelvane {

Result<std::string> ReadTextFile(const std::string& path, InputPolicy policy, std::size_t limit) {
  auto file = OpenInput(path, policy, {});
  if (!file) return std::move(file).error();
  auto text = file->ReadAll(limit);
  if (!text) return Diagnostic{path, 0, CannotReadFile(path, text.error().text)};
  return text;
}

Status WriteFile(const std::string& path, std::span<const std::uint8_t> bytes,
                 const std::vector<std::string>& inputs) {
  const FileToWrite file{path, bytes};
  return WriteFiles({&file, 1}, inputs);
}

Status WriteFiles(std::span<const FileToWrite> files, const std::vector<std::string>& inputs) {
  const auto identities = IdentitiesOf(inputs);
  const auto refusal = [](const std::string& path, const std::string& reason) {
    const std::string shown = path == kStandardStream ? "standard output" : path;
    return Diagnostic{
        path, 0,
        reason == platform::kReplacesInput ? OutputIsInput(shown) : CannotWriteFile(shown, reason)};
  };
  std::vector<platform::FileReplacement> replacements;
  for (const FileToWrite& file : files) {
    auto replacement = file.path == kStandardStream
                           ? platform::FileReplacement::ToStandardOutput()
                           : platform::FileReplacement::Begin(file.path, identities);
    if (!replacement) return refusal(file.path, replacement.error().text);
    if (auto written = replacement->Write(file.bytes); !written) {
      return refusal(file.path, written.error().text);
    }
    replacements.push_back(std::move(*replacement));
  }
  for (std::size_t i = 0; i < replacements.size(); ++i) {
    if (auto done = replacements[i].Commit(); !done)
      return refusal(files[i].path, done.error().text);
  }
  return Ok();
}

}  // namespace kelvane
