// Replacing a file's contents whole and safely: a private temporary file beside
// it, flushed to disk and renamed over it only when completely written.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "font/result.h"
#include "platform/input_file.h"

namespace kelvane::platform {

// The reason Begin() gives when the file it would replace is one of the inputs.
inline constexpr std::string_view kReplacesInput = "the output is the input";

// One replacement in progress. Begin() finds the file the path names and
// creates the temporary file; Write() appends to it; Commit() gives it its
// final mode and owner, flushes it, renames it over the target and flushes the
// directory. A replacement destroyed before Commit() removes its temporary
// file and leaves the target untouched. While a replacement is open, SIGINT,
// SIGTERM and SIGHUP remove the temporary file before ending the process.
//
// Symbolic links are followed, in the directories of the path as at its end,
// as the kernel's protected-symlinks rule allows: in a world-writable sticky
// directory (such as /tmp) only a link owned by the user or by the directory's
// owner. Read-only files, directories, devices and pipes are never replaced.
//
// Failures are Diagnostics whose text is the bare reason ("Permission
// denied", "symbolic link in a shared directory", kReplacesInput); the caller
// words them.
class FileReplacement {
 public:
  // `inputs`: files this replacement must never replace (the inputs of the
  // work whose result it holds); the reason is then kReplacesInput.
  static Result<FileReplacement> Begin(const std::string& utf8Path,
                                       std::span<const FileIdentity> inputs = {});
  // Writes to standard output instead; Commit() only flushes.
  static FileReplacement ToStandardOutput();

  FileReplacement(FileReplacement&&) noexcept;
  FileReplacement& operator=(FileReplacement&&) noexcept;
  ~FileReplacement();

  Status Write(std::span<const std::uint8_t> bytes);
  Status Commit();

  struct State;

 private:
  explicit FileReplacement(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Installs the process's signal dispositions for conversions: SIGINT, SIGTERM
// and SIGHUP clean up an open replacement and then end the process as the
// signal would; SIGXFSZ is ignored, so writing past a file-size limit fails
// with "File too large" instead of killing the process. Call once at start.
void InstallSignalHandling();

}  // namespace kelvane::platform
