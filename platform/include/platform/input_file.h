// Reading an input file front to back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "font/result.h"

namespace kelvane::platform {

// Which files may be read. Nothing is ever read from a device (it may never
// end), and a directory is never opened as a file.
enum class InputKinds {
  kRegularOnly,      // regular files only (the windows: a FIFO could block them)
  kPipesWithWriter,  // also pipes and FIFOs that have a writer, which is not waited for
  kAllowPipes,       // also pipes and FIFOs, waiting for a writer (bdf2kvn's inputs)
};

// A file's identity: two paths name one file when their identities are equal.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// An open file read sequentially. Refused: a directory ("Is a directory"), a
// device ("not a regular file"), a pipe under kRegularOnly ("not a regular
// file"), and under kPipesWithWriter a FIFO that has no writer within half a
// second ("a pipe without a writer"). Failures are Diagnostics whose text is
// the bare reason.
class InputFile {
 public:
  static Result<InputFile> Open(const std::string& utf8Path, InputKinds kinds);
  static InputFile StandardInput();

  InputFile(InputFile&&) noexcept;
  InputFile& operator=(InputFile&&) noexcept;
  ~InputFile();

  // Reads up to buffer.size() bytes; 0 at the end of the file.
  Result<std::size_t> Read(std::span<char> buffer);
  // Reads until `buffer` is full or the file ends; the bytes read.
  Result<std::size_t> ReadFull(std::span<char> buffer);
  // The rest of the file, when it holds no more than `limit` bytes: a regular
  // file over it is refused before it is read, anything else as soon as it
  // passes it, with the reason "more than N MiB" (N = limit / 1 MiB; "more
  // than N bytes" when the limit is not whole MiB).
  Result<std::string> ReadAll(std::size_t limit);
  // The bytes left to read in a regular file; nullopt for a pipe.
  std::optional<std::uint64_t> BytesLeft() const;
  // The file's identity (standard input's too).
  FileIdentity identity() const;
  // True when this file and the file at utf8Path are the same file.
  bool IsSameFileAs(const std::string& utf8Path) const;

 private:
  explicit InputFile(int fd, bool owned) : fd_(fd), owned_(owned) {}
  int fd_ = -1;
  bool owned_ = true;
};

}  // namespace kelvane::platform
