#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace kelvane::platform {
namespace {

Diagnostic ErrnoReason(int error) {
  return Diagnostic{.text = std::generic_category().message(error)};
}

// Why a file of this kind is not read, if it is not. A device may never end,
// and opening a FIFO waits for a writer, which the window must not do.
Status CheckKind(mode_t mode, InputKinds kinds) {
  if (S_ISDIR(mode)) return ErrnoReason(EISDIR);
  if (S_ISREG(mode)) return Ok();
  const bool pipe = S_ISFIFO(mode) || S_ISSOCK(mode);
  if (pipe && kinds == InputKinds::kAllowPipes) return Ok();
  return Diagnostic{.text = "not a regular file"};
}

}  // namespace

Result<InputFile> InputFile::Open(const std::string& utf8Path, InputKinds kinds) {
  struct stat before {};
  if (stat(utf8Path.c_str(), &before) != 0) return ErrnoReason(errno);
  if (Status allowed = CheckKind(before.st_mode, kinds); !allowed) {
    return std::move(allowed).error();
  }

  int fd = -1;
  do {
    fd = open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);  // waiting for a FIFO's writer
  if (fd < 0) return ErrnoReason(errno);
  InputFile file(fd, true);

  // The path may have been pointed elsewhere between the two looks.
  struct stat opened {};
  if (fstat(fd, &opened) != 0) return ErrnoReason(errno);
  if (Status allowed = CheckKind(opened.st_mode, kinds); !allowed) {
    return std::move(allowed).error();
  }
  if ((opened.st_mode & S_IFMT) != (before.st_mode & S_IFMT)) {
    return Diagnostic{.text = "not a regular file"};
  }
  return file;
}

InputFile InputFile::StandardInput() { return InputFile(STDIN_FILENO, false); }

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), owned_(other.owned_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    if (owned_ && fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    owned_ = other.owned_;
  }
  return *this;
}

InputFile::~InputFile() {
  if (owned_ && fd_ >= 0) close(fd_);
}

Result<std::size_t> InputFile::Read(std::span<char> buffer) {
  for (;;) {
    const ssize_t got = read(fd_, buffer.data(), buffer.size());
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return ErrnoReason(errno);
  }
}

bool InputFile::IsSameFileAs(const std::string& utf8Path) const {
  struct stat other {};
  struct stat mine {};
  if (stat(utf8Path.c_str(), &other) != 0 || fstat(fd_, &mine) != 0) return false;
  return other.st_dev == mine.st_dev && other.st_ino == mine.st_ino;
}

}  // namespace kelvane::platform
