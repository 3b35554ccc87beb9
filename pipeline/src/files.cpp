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
  const auto identities = IdentitiesOf(inputs);
  auto replacement = path == kStandardStream ? platform::FileReplacement::ToStandardOutput()
                                             : platform::FileReplacement::Begin(path, identities);
  Status done = replacement ? replacement->Write(bytes) : Status(replacement.error());
  if (done) done = replacement->Commit();
  if (done) return done;
  const std::string& reason = done.error().text;
  const std::string shown = path == kStandardStream ? "standard output" : path;
  return Diagnostic{
      path, 0,
      reason == platform::kReplacesInput ? OutputIsInput(shown) : CannotWriteFile(shown, reason)};
}

}  // namespace kelvane
