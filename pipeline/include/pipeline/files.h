// Files the programs read and write besides fonts (subset texts, pictures, C
// source), under the rules and in the words of conversions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "font/result.h"
#include "pipeline/conversion.h"

namespace kelvane {

// The largest text file read (a subset's characters).
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{64} << 20;

// The whole file; "Cannot open file! [path] (reason)" or "Cannot read file!
// [path] (reason)" otherwise, a file over `limit` naming the limit.
Result<std::string> ReadTextFile(const std::string& path, InputPolicy policy,
                                 std::size_t limit = kMaxTextFileBytes);

// Replaces the file at `path` (standard output for "-") with `bytes`, as a
// conversion replaces its output. Refused: "Output would overwrite the input!
// [path]" when it would replace one of `inputs`, else "Cannot write file!
// [path] (reason)".
Status WriteFile(const std::string& path, std::span<const std::uint8_t> bytes,
                 const std::vector<std::string>& inputs = {});

// One of several files written together.
struct FileToWrite {
  std::string path;
  std::span<const std::uint8_t> bytes;
};

// Replaces several files as WriteFile replaces one, each written in full
// before any is put in place: a refusal or a failed write leaves them all as
// they were.
Status WriteFiles(std::span<const FileToWrite> files, const std::vector<std::string>& inputs = {});

}  // namespace kelvane
