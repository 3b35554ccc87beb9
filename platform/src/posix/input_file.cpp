#include "platform/input_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace kelvane::platform {
namespace {

// How long a FIFO's writer has to make it readable under kPipesWithWriter.
constexpr std::chrono::milliseconds kWriterWait{500};
constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr const char* kNotRegular = "not a regular file";

Diagnostic Reason(std::string text) { return Diagnostic{.text = std::move(text)}; }
Diagnostic ErrnoReason(int error) { return Reason(std::generic_category().message(error)); }

FileIdentity IdentityOf(const struct stat& status) {
  return {.device = static_cast<std::uint64_t>(status.st_dev),
          .inode = static_cast<std::uint64_t>(status.st_ino)};
}

bool IsPipe(mode_t mode) { return S_ISFIFO(mode) || S_ISSOCK(mode); }

// Why a file of this kind is not read, if it is not. A device may never end,
// and opening a FIFO may wait for a writer, which the windows must not do.
Status CheckKind(mode_t mode, InputKinds kinds) {
  if (S_ISDIR(mode)) return ErrnoReason(EISDIR);
  if (S_ISREG(mode)) return Ok();
  if (IsPipe(mode) && kinds != InputKinds::kRegularOnly) return Ok();
  return Reason(kNotRegular);
}

// Waits up to kWriterWait for a FIFO opened without blocking to have bytes
// to read or a writer that has come and gone (the end of the stream).
Status AwaitWriter(int fd) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + kWriterWait;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd entry{.fd = fd, .events = POLLIN, .revents = 0};
    const int ready = poll(&entry, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
    if (ready > 0) {
      if ((entry.revents & (POLLIN | POLLHUP)) != 0) return Ok();
      return ErrnoReason(EIO);
    }
    if (ready == 0) return Reason("a pipe without a writer");
    if (errno != EINTR) return ErrnoReason(errno);
  }
}

Status ClearNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return ErrnoReason(errno);
  return Ok();
}

std::string LimitReason(std::size_t limit) {
  if (limit != 0 && limit % kMiB == 0) return "more than " + std::to_string(limit / kMiB) + " MiB";
  return "more than " + std::to_string(limit) + " bytes";
}

}  // namespace

Result<InputFile> InputFile::Open(const std::string& utf8Path, InputKinds kinds) {
  struct stat before {};
  if (stat(utf8Path.c_str(), &before) != 0) return ErrnoReason(errno);
  if (Status allowed = CheckKind(before.st_mode, kinds); !allowed) {
    return std::move(allowed).error();
  }

  // Only a FIFO under kAllowPipes is opened waiting (for its writer); anything
  // else opens at once, whatever it has become since it was looked at.
  const bool waitForWriter = IsPipe(before.st_mode) && kinds == InputKinds::kAllowPipes;
  const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (waitForWriter ? 0 : O_NONBLOCK);
  int fd = -1;
  do {
    fd = open(utf8Path.c_str(), flags);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return ErrnoReason(errno);
  InputFile file(fd, true);

  // The path may have been pointed elsewhere between the two looks.
  struct stat opened {};
  if (fstat(fd, &opened) != 0) return ErrnoReason(errno);
  if (Status allowed = CheckKind(opened.st_mode, kinds); !allowed) {
    return std::move(allowed).error();
  }
  if ((opened.st_mode & S_IFMT) != (before.st_mode & S_IFMT)) return Reason(kNotRegular);

  if (IsPipe(opened.st_mode) && !waitForWriter) {
    if (Status written = AwaitWriter(fd); !written) return std::move(written).error();
  }
  if (!waitForWriter) {
    if (Status blocking = ClearNonBlocking(fd); !blocking) return std::move(blocking).error();
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

Result<std::size_t> InputFile::ReadFull(std::span<char> buffer) {
  std::size_t filled = 0;
  while (filled < buffer.size()) {
    Result<std::size_t> got = Read(buffer.subspan(filled));
    if (!got) return std::move(got).error();
    if (*got == 0) break;
    filled += *got;
  }
  return filled;
}

std::optional<std::uint64_t> InputFile::BytesLeft() const {
  struct stat status {};
  if (fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  const off_t at = lseek(fd_, 0, SEEK_CUR);
  if (at < 0 || at > status.st_size) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size - at);
}

FileIdentity InputFile::identity() const {
  struct stat status {};
  if (fstat(fd_, &status) != 0) return {};
  return IdentityOf(status);
}

bool InputFile::IsSameFileAs(const std::string& utf8Path) const {
  struct stat other {};
  if (stat(utf8Path.c_str(), &other) != 0) return false;
  const FileIdentity mine = identity();
  return mine != FileIdentity{} && mine == IdentityOf(other);
}

Result<std::string> InputFile::ReadAll(std::size_t limit) {
  try {
    std::string bytes;
    // A regular file's size is known: it is refused unread, or its room made at once.
    struct stat status {};
    if (fstat(fd_, &status) == 0 && S_ISREG(status.st_mode)) {
      const auto size = static_cast<std::uintmax_t>(status.st_size);
      if (size > limit) return Reason(LimitReason(limit));
      bytes.reserve(static_cast<std::size_t>(size));
    }
    char chunk[kReadChunk];
    for (;;) {
      // One byte beyond the limit is enough to know it is passed.
      const std::size_t room = limit - bytes.size();
      const std::size_t want = room < sizeof chunk ? room + 1 : sizeof chunk;
      Result<std::size_t> got = Read({chunk, want});
      if (!got) return std::move(got).error();
      if (*got == 0) return bytes;
      if (*got > room) return Reason(LimitReason(limit));
      bytes.append(chunk, *got);
    }
  } catch (const std::bad_alloc&) {
    return Reason("out of memory");
  } catch (const std::length_error&) {
    return Reason("out of memory");
  }
}

}  // namespace kelvane::platform
