#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <utility>

#include "pipeline/conversion.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// The temporary file an interruption removes: one at a time, in a buffer a
// signal handler may read.
char gTemporaryPath[4096];
volatile std::sig_atomic_t gTemporaryArmed = 0;

void RemoveTemporaryAndEnd(int signal) {
  if (gTemporaryArmed != 0) ::unlink(gTemporaryPath);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void ArmRemoval(const std::string& path) {
  if (path.size() >= sizeof gTemporaryPath) return;
  std::memcpy(gTemporaryPath, path.c_str(), path.size() + 1);
  gTemporaryArmed = 1;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    std::signal(signal, RemoveTemporaryAndEnd);
  }
}

void DisarmRemoval() { gTemporaryArmed = 0; }

Diagnostic Refusal(const std::string& path, const std::string& why) {
  return Diagnostic{path, 0, "cannot write (" + why + ")"};
}

// The permission bits a new file gets from the umask.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

Result<OutputFile> OutputFile::Begin(const std::string& path, const std::string& inputPath) {
  if (path == kStandardStream) return OutputFile(stdout, path, "", "");
  std::string target = path;
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    // A link planted by someone else (in /tmp, say) must not choose what is replaced.
    if (link.st_uid != ::geteuid()) {
      return Refusal(path, "a symbolic link of another user");
    }
    std::error_code error;
    const fs::path named = fs::canonical(path, error);
    if (!error) target = named.string();
  }
  mode_t mode = NewFileMode();
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0) {
    if (!S_ISREG(existing.st_mode)) return Refusal(path, "not a regular file");
    struct stat input {};
    if (::stat(inputPath.c_str(), &input) == 0 && input.st_dev == existing.st_dev &&
        input.st_ino == existing.st_ino) {
      return Diagnostic{path, 0, "the output would overwrite the input"};
    }
    if (::access(target.c_str(), W_OK) != 0) {
      return Refusal(path, std::strerror(errno));
    }
    mode = existing.st_mode & 07777;
  }
  const fs::path targetPath(target);
  const std::string name = targetPath.filename().string();
  // A hidden name, short enough for any file system that takes the target's.
  std::string temporary =
      (targetPath.parent_path() / ("." + name.substr(0, 200) + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return Refusal(path, std::strerror(errno));
  ArmRemoval(temporary);
  std::FILE* stream = ::fchmod(fd, mode) == 0 ? ::fdopen(fd, "wb") : nullptr;
  if (stream == nullptr) {
    const int error = errno;
    ::close(fd);
    ::unlink(temporary.c_str());
    DisarmRemoval();
    return Refusal(path, std::strerror(error));
  }
  return OutputFile(stream, path, target, temporary);
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)),
      path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, std::string())) {}

OutputFile::~OutputFile() {
  if (temporary_.empty()) return;
  if (stream_ != nullptr) std::fclose(stream_);
  ::unlink(temporary_.c_str());
  DisarmRemoval();
}

Status OutputFile::Commit() {
  if (temporary_.empty()) {  // standard output
    if (std::fflush(stream_) != 0) return Refusal(path_, std::strerror(errno));
    return Ok();
  }
  int error = 0;
  if (std::fflush(stream_) != 0) {
    error = errno;
  } else if (std::ferror(stream_) != 0) {
    error = EIO;  // an earlier write failed, and its errno is gone
  }
  if (std::fclose(std::exchange(stream_, nullptr)) != 0 && error == 0) error = errno;
  if (error != 0) return Refusal(path_, std::strerror(error));
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return Refusal(path_, std::strerror(errno));
  }
  temporary_.clear();
  DisarmRemoval();
  return Ok();
}

}  // namespace kelvane
