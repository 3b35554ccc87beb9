// Replacing a file's contents whole and safely: a private temporary file beside
// it, flushed to disk and renamed over it only when completely written.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "font/result.h"

namespace kelvane::platform {

// One replacement in progress. Begin() finds the file the path names and
// creates the temporary file; Write() appends to it; Commit() gives it its
// final mode and owner, flushes it, renames it over the target and flushes the
// directory. A replacement destroyed before Commit() removes its temporary
// file and leaves the target untouched. While a replacement is open, SIGINT,
// SIGTERM and SIGHUP remove the temporary file before ending the process.
//
// Failures are Diagnostics whose text is the bare reason ("Permission
// denied", "symbolic link in a shared directory"); the caller words them.
class FileReplacement {
 public:
  static Result<FileReplacement> Begin(const std::string& utf8Path);
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
