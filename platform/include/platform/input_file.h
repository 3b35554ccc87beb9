// Reading an input file front to back.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "font/result.h"

namespace kelvane::platform {

enum class InputKinds {
  kRegularOnly,     // only regular files (the window: a FIFO would block it)
  kAllowPipes,      // regular files, pipes and sockets (the command)
};

// An open file read sequentially. Directories and devices are refused
// ("Is a directory", "not a regular file"); so are pipes with kRegularOnly.
// Failures are Diagnostics whose text is the bare reason.
class InputFile {
 public:
  static Result<InputFile> Open(const std::string& utf8Path, InputKinds kinds);
  static InputFile StandardInput();

  InputFile(InputFile&&) noexcept;
  InputFile& operator=(InputFile&&) noexcept;
  ~InputFile();

  // Reads up to buffer.size() bytes; 0 at the end of the file.
  Result<std::size_t> Read(std::span<char> buffer);
  // True when this file and the file at utf8Path are the same file.
  bool IsSameFileAs(const std::string& utf8Path) const;

 private:
  explicit InputFile(int fd, bool owned) : fd_(fd), owned_(owned) {}
  int fd_ = -1;
  bool owned_ = true;
};

}  // namespace kelvane::platform
