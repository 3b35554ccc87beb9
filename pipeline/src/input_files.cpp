#include "input_files.h"

#include <algorithm>

#include "pipeline_messages.h"

namespace kelvane {

platform::InputKinds KindsFor(InputPolicy policy) {
  switch (policy) {
    case InputPolicy::kRegularFilesOnly:
      return platform::InputKinds::kRegularOnly;
    case InputPolicy::kNoWaiting:
      return platform::InputKinds::kPipesWithWriter;
    case InputPolicy::kFilesAndPipes:
      break;
  }
  return platform::InputKinds::kAllowPipes;
}

Result<platform::InputFile> OpenInput(const std::string& path, InputPolicy policy,
                                      const std::string& output) {
  auto file = path == kStandardStream
                  ? Result<platform::InputFile>(platform::InputFile::StandardInput())
                  : platform::InputFile::Open(path, KindsFor(policy));
  if (!file) return Diagnostic{path, 0, CannotOpenFile(path, file.error().text)};
  if (!output.empty() && output != kStandardStream && file->IsSameFileAs(output)) {
    return Diagnostic{path, 0, OutputIsInput(output)};
  }
  return file;
}

Result<std::size_t> InputSource::Read(std::span<char> buffer) {
  if (at_ < prefix_.size()) {
    const std::size_t count = std::min(buffer.size(), prefix_.size() - at_);
    std::copy_n(prefix_.data() + at_, count, buffer.data());
    at_ += count;
    return count;
  }
  return file_.Read(buffer);
}

std::optional<std::uint64_t> InputSource::BytesLeft() const {
  const auto coming = file_.BytesLeft();
  if (!coming) return std::nullopt;
  return prefix_.size() - at_ + *coming;
}

Result<std::size_t> StoppableSource::Read(std::span<char> buffer) {
  if (stop_.stop_requested()) return Diagnostic{.text = "stopped"};
  return source_.Read(buffer);
}

std::vector<platform::FileIdentity> IdentitiesOf(const std::vector<std::string>& paths) {
  std::vector<platform::FileIdentity> identities;
  for (const std::string& path : paths) {
    if (path.empty() || path == kStandardStream) continue;
    auto file = platform::InputFile::Open(path, platform::InputKinds::kRegularOnly);
    if (file) identities.push_back(file->identity());
  }
  return identities;
}

}  // namespace kelvane
