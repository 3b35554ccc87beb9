// Replacing a file's contents whole: a temporary file beside it, renamed over it
// only when completely written.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kelvane {

// Writes the pieces, in order, as the new contents of the file at utf8Path.
// A symbolic link is followed and its target replaced; an existing file's
// permission bits are kept; a read-only file, a directory and anything but a
// regular file (a device, a pipe) are not replaced. On failure the
// earlier file is untouched, no temporary file remains, and the result is the
// reason.
std::optional<std::string> ReplaceFile(const std::string& utf8Path,
                                       std::span<const std::span<const std::uint8_t>> pieces);

}  // namespace kelvane
